#include "RecentFiles.h"

#include <QFileInfo>
#include <QSettings>

namespace pulvex_app {
namespace {
constexpr const char* kSection = "Recent File List";
QString keyOf(int i) {
    return QString("%1/File%2").arg(kSection).arg(i + 1);
}
} // namespace

RecentFiles::RecentFiles(QString iniPath) : iniPath_(std::move(iniPath)) {
    if (iniPath_.isEmpty()) return;
    const QSettings settings(iniPath_, QSettings::IniFormat);
    for (int i = 0; i < kMaxEntries; ++i) {
        const QString path = settings.value(keyOf(i)).toString();
        if (!path.isEmpty()) paths_.append(path);
    }
}

void RecentFiles::add(const QString& path) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    paths_.removeAll(absolute);
    paths_.prepend(absolute);
    while (paths_.size() > kMaxEntries) paths_.removeLast();
    store();
}

void RecentFiles::remove(const QString& path) {
    paths_.removeAll(path);
    store();
}

void RecentFiles::store() const {
    if (iniPath_.isEmpty()) return;
    QSettings settings(iniPath_, QSettings::IniFormat);
    for (int i = 0; i < kMaxEntries; ++i) {
        if (i < paths_.size())
            settings.setValue(keyOf(i), paths_[i]);
        else
            settings.remove(keyOf(i));
    }
}

} // namespace pulvex_app
