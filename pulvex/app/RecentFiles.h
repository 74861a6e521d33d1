#pragma once
// The recent-file list of the File menu: up to four paths, newest first, kept in the settings
// file beside the "Settings" section. Each change starts from the list the file holds then, so
// that files another Pulvex window added stay in it.

#include "files/AtomicWrite.h"

#include <QString>
#include <QStringList>

namespace pulvex_app {

class RecentFiles {
public:
    static constexpr int kMaxEntries = 4;

    // An empty iniPath keeps the list in memory only.
    explicit RecentFiles(QString iniPath);

    const QStringList& paths() const { return paths_; }
    // The reason, naming the file, when the list cannot be saved; the menu shows it all the same.
    files::FileError add(const QString& path);
    files::FileError remove(const QString& path);

private:
    QStringList storedPaths() const;
    files::FileError store() const;

    QString iniPath_;
    QStringList paths_;
};

} // namespace pulvex_app
