#include "files/IniFile.h"

#include "files/BoundedRead.h"
#include "files/IniDialect.h"

#include <QDir>
#include <QFileInfo>
#include <QString>

#include <vector>

namespace files {
namespace {

// The settings and the recent files take a few hundred bytes. A MiB leaves room for anything a
// user adds by hand and still refuses an endless input (a device, a pipe) named by PULVEX_INI.
constexpr std::size_t kIniFileLimit = 1024 * 1024;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

struct Header {
    std::string name;        // "" for the unnamed part at the top ("General")
    std::size_t lineEnd = 0; // after the line break that ends the header's line
};

struct Entry {
    int header = -1; // index into the headers; -1 before the first header
    std::string key;
    IniLine line;
};

struct Layout {
    std::vector<Header> headers;
    std::vector<Entry> entries;
};

// After the line break of the line that `position` lies on (or at the end of the text).
std::size_t endOfLine(std::string_view text, std::size_t position) {
    const std::size_t lineBreak = text.find_first_of("\r\n", position);
    if (lineBreak == std::string_view::npos) return text.size();
    return lineBreak + (text.substr(lineBreak, 2) == "\r\n" ? 2 : 1);
}

// Where the line that `position` lies on begins: lines begin after blanks only.
std::size_t startOfLine(std::string_view text, std::size_t position) {
    while (position > 0 && (text[position - 1] == ' ' || text[position - 1] == '\t')) --position;
    return position;
}

Layout layoutOf(std::string_view text) {
    Layout layout;
    std::size_t position = text.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
    IniLine line;
    while (nextIniLine(text, position, line)) {
        const std::string_view content = text.substr(line.start, line.end - line.start);
        if (content.starts_with('[')) {
            const std::size_t close = content.find(']');
            const std::string_view name =
                content.substr(1, close == std::string_view::npos ? close : close - 1);
            layout.headers.push_back({decodeIniSection(name), endOfLine(text, line.end)});
            continue;
        }
        if (line.equals == IniLine::kNoEquals) continue; // neither a key nor a comment: ignored
        const int header = static_cast<int>(layout.headers.size()) - 1;
        layout.entries.push_back(
            {header, decodeIniKey(text.substr(line.start, line.equals - line.start)), line});
    }
    return layout;
}

bool inSection(const Layout& layout, int header, std::string_view section) {
    return header >= 0 && sameIniKey(layout.headers[std::size_t(header)].name, section);
}

// The last entry of the key in the section, or null.
const Entry* lastEntry(const Layout& layout, std::string_view section, std::string_view key) {
    for (auto entry = layout.entries.rbegin(); entry != layout.entries.rend(); ++entry)
        if (inSection(layout, entry->header, section) && sameIniKey(entry->key, key))
            return &*entry;
    return nullptr;
}

std::string lineBreakOf(std::string_view text) {
    return text.find("\r\n") != std::string_view::npos ? "\r\n" : "\n";
}

bool endsWithLineBreak(std::string_view text) {
    return text.ends_with('\n') || text.ends_with('\r');
}

std::string withValue(const std::string& text, std::string_view section, std::string_view key,
                      std::string_view value) {
    const Layout layout = layoutOf(text);
    const std::string encoded = encodeIniValue(value);
    std::string changed = text;
    if (const Entry* entry = lastEntry(layout, section, key)) {
        const std::size_t valueStart = entry->line.equals + 1;
        return changed.replace(valueStart, entry->line.end - valueStart, encoded);
    }
    const std::string lineBreak = lineBreakOf(text);
    const std::string line = encodeIniKey(key) + "=" + encoded + lineBreak;
    int header = -1;
    for (int h = static_cast<int>(layout.headers.size()) - 1; h >= 0 && header < 0; --h)
        if (inSection(layout, h, section)) header = h;
    if (header < 0) {
        if (!text.empty() && !endsWithLineBreak(text)) changed += lineBreak;
        // A blank line between sections, as QSettings writes them.
        if (!text.empty() && !changed.ends_with(lineBreak + lineBreak)) changed += lineBreak;
        return changed + "[" + encodeIniKey(section) + "]" + lineBreak + line;
    }
    std::size_t at = layout.headers[std::size_t(header)].lineEnd;
    for (const Entry& entry : layout.entries)
        if (entry.header == header) at = endOfLine(text, entry.line.end);
    const bool needsBreak = at == text.size() && !endsWithLineBreak(text);
    return changed.insert(at, (needsBreak ? lineBreak : "") + line);
}

std::string withoutKey(const std::string& text, std::string_view section, std::string_view key) {
    const Layout layout = layoutOf(text);
    std::string changed = text;
    for (auto entry = layout.entries.rbegin(); entry != layout.entries.rend(); ++entry) {
        if (!inSection(layout, entry->header, section) || !sameIniKey(entry->key, key)) continue;
        const std::size_t start = startOfLine(changed, entry->line.start);
        changed.erase(start, endOfLine(changed, entry->line.end) - start);
    }
    return changed;
}

} // namespace

std::optional<std::string> IniText::value(std::string_view section, std::string_view key) const {
    const std::string_view text = bytes_;
    const Layout layout = layoutOf(text);
    const Entry* entry = lastEntry(layout, section, key);
    if (!entry) return std::nullopt;
    const std::size_t valueStart = entry->line.equals + 1;
    return decodeIniValue(text.substr(valueStart, entry->line.end - valueStart));
}

// A change is kept only when the text reads back as intended: a quote or a backslash left open at
// the end of a hand-edited file would otherwise swallow the new line.
void IniText::setValue(std::string_view section, std::string_view key, std::string_view value) {
    const IniText changed(withValue(bytes_, section, key, value));
    if (changed.value(section, key) == decodeIniValue(encodeIniValue(value)))
        bytes_ = changed.bytes_;
    else
        refusedChange_ = true;
}

void IniText::remove(std::string_view section, std::string_view key) {
    const IniText changed(withoutKey(bytes_, section, key));
    if (!changed.value(section, key))
        bytes_ = changed.bytes_;
    else
        refusedChange_ = true;
}

IniFileContents readIniFile(const std::string& path) {
    files::ReadResult read = files::readFileBounded(path, kIniFileLimit);
    // A path through a plain file cannot name an existing file either.
    if (read.notFound || (read.error && !QFileInfo::exists(QString::fromStdString(path))))
        return {};
    if (read.error) return {IniText(), std::move(read.error)};
    return {IniText(std::string(read.bytes.begin(), read.bytes.end())), std::nullopt};
}

files::FileError editIniFile(const std::string& path, const std::function<void(IniText&)>& edit) {
    const IniFileContents before = readIniFile(path);
    if (before.error) return before.error;
    IniText text = before.text;
    edit(text);
    if (text.refusedChange())
        return "Cannot write \"" + path + "\": a quote or a backslash in it is left open";
    if (text.bytes() == before.text.bytes()) return std::nullopt;
    // When this fails, the writer tells why.
    QDir().mkpath(QFileInfo(QString::fromStdString(path)).absolutePath());
    return files::writeFileAtomically(path, text.bytes());
}

} // namespace files
