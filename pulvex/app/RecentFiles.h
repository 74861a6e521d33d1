#pragma once
// The recent-file list of the File menu: up to four paths, newest first, kept in the settings
// file beside the "Settings" section.

#include <QString>
#include <QStringList>

namespace pulvex_app {

class RecentFiles {
public:
    static constexpr int kMaxEntries = 4;

    // An empty iniPath keeps the list in memory only.
    explicit RecentFiles(QString iniPath);

    const QStringList& paths() const { return paths_; }
    void add(const QString& path);
    void remove(const QString& path);

private:
    void store() const;

    QString iniPath_;
    QStringList paths_;
};

} // namespace pulvex_app
