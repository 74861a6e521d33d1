#pragma once
// The INI dialect that the suite's settings files have always been written in (the one of Qt's
// QSettings), so that files written by older builds read the same and files written now read the
// same in older builds:
// - a key or section name keeps letters, digits, '_', '-' and '.'; any other character is written
//   as %XX (up to U+00FF) or %UXXXX, and '/' as '\';
// - a value is UTF-8 with backslash escapes for '"', '\' and control characters, in double quotes
//   when it holds ';', ',' or '=' or begins or ends with a space; a value starting with '@' is
//   written with a second '@' in front;
// - on reading, a value with an unquoted comma is a list, which comes back joined with ", ".
// Texts are UTF-8 on both sides.

#include <cstddef>
#include <string>
#include <string_view>

namespace files {

std::string encodeIniKey(std::string_view name);
// A key or section name as the file holds it, with or without the blanks around it.
std::string decodeIniKey(std::string_view raw);
// What stands between '[' and ']'; "" for the unnamed part at the top of the file, which has the
// header "[General]" ("[%General]" is the section named "General").
std::string decodeIniSection(std::string_view raw);

std::string encodeIniValue(std::string_view value);
// The text after the '=' up to the end of its line, comment or not.
std::string decodeIniValue(std::string_view raw);

// One line of the file as the reader sees it: blank lines and ';' comment lines are skipped, a
// quoted part or a backslash may carry the line over a line break, and a ';' outside quotes ends
// it (the rest is a comment).
struct IniLine {
    static constexpr std::size_t kNoEquals = std::string_view::npos;
    std::size_t start = 0;          // after the blanks it begins with
    std::size_t end = 0;            // at its line break, comment or the end of the file
    std::size_t equals = kNoEquals; // the first '=' outside quotes
};
// The line at or after `position`, which moves past it; false at the end of the file.
bool nextIniLine(std::string_view text, std::size_t& position, IniLine& line);

// Whether two decoded names are the same key: exact, as the dialect compares them here; Windows
// builds compare letters without regard to case.
bool sameIniKey(std::string_view a, std::string_view b);

} // namespace files
