#pragma once
// The suite's settings files (Pulvex's and Klangor's), read and changed in place. A change rewrites
// only the value it changes and adds only the line it needs, so that comments, other sections, keys
// this program does not know and the order of everything stay as the user (or another program) left
// them. The file is read whole at every access and written through the suite's atomic writer:
// nothing is cached, and a failed write leaves the old file as it was.

#include "files/AtomicWrite.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace files {

// The text of an INI file in the dialect of IniDialect.h. Section names are those of named
// sections (not the unnamed "General" part at the top).
class IniText {
public:
    IniText() = default;
    explicit IniText(std::string bytes) : bytes_(std::move(bytes)) {}

    const std::string& bytes() const { return bytes_; }

    // As QSettings reads it: of equal keys in the section (which may appear more than once), the
    // last one counts. Nothing when the key is absent.
    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    // Replaces that last value where it stands; a new key goes after the last key of its section,
    // a new section at the end of the file.
    void setValue(std::string_view section, std::string_view key, std::string_view value);
    // Every line of the key in that section goes.
    void remove(std::string_view section, std::string_view key);
    // A change was left undone because the text would not have read back as intended (a quote or
    // a backslash left open at the end of a hand-edited file); the text is as before it.
    bool refusedChange() const { return refusedChange_; }

private:
    std::string bytes_;
    bool refusedChange_ = false;
};

struct IniFileContents {
    IniText text; // empty when the file does not exist
    // The file exists but cannot be read (no permission, larger than the bound, a folder).
    files::FileError error;
};
IniFileContents readIniFile(const std::string& path);

// Reads the file, lets `edit` change the text and writes it back when anything changed. A missing
// folder is made first: the first write goes to a config folder that does not exist yet. A file
// that exists but cannot be read is not written over.
files::FileError editIniFile(const std::string& path, const std::function<void(IniText&)>& edit);

} // namespace files
