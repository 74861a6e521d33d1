#include "RecentFiles.h"

#include "files/IniFile.h"

#include <QFileInfo>

namespace pulvex_app {
namespace {
constexpr std::string_view kSection = "Recent File List";
std::string keyOf(int i) {
    return "File" + std::to_string(i + 1);
}
} // namespace

RecentFiles::RecentFiles(QString iniPath) : iniPath_(std::move(iniPath)) {
    paths_ = storedPaths();
}

QStringList RecentFiles::storedPaths() const {
    if (iniPath_.isEmpty()) return paths_;
    const files::IniFileContents contents = files::readIniFile(iniPath_.toStdString());
    if (contents.error) return paths_; // what the menu shows stays; the next write says why
    const files::IniText& text = contents.text;
    QStringList paths;
    for (int i = 0; i < kMaxEntries; ++i) {
        const std::string path = text.value(kSection, keyOf(i)).value_or("");
        if (!path.empty()) paths.append(QString::fromStdString(path));
    }
    return paths;
}

files::FileError RecentFiles::add(const QString& path) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    paths_ = storedPaths();
    paths_.removeAll(absolute);
    paths_.prepend(absolute);
    while (paths_.size() > kMaxEntries) paths_.removeLast();
    return store();
}

files::FileError RecentFiles::remove(const QString& path) {
    paths_ = storedPaths();
    paths_.removeAll(path);
    return store();
}

files::FileError RecentFiles::store() const {
    if (iniPath_.isEmpty()) return std::nullopt;
    return files::editIniFile(iniPath_.toStdString(), [this](files::IniText& text) {
        for (int i = 0; i < kMaxEntries; ++i) {
            if (i < paths_.size())
                text.setValue(kSection, keyOf(i), paths_[i].toStdString());
            else
                text.remove(kSection, keyOf(i));
        }
    });
}

} // namespace pulvex_app
