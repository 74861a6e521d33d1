#pragma once
// How names, notes and note-value codes become text.

#include <string>
#include <string_view>

namespace pulvex {

// Removes from both ends every byte that, taken as a signed 8-bit number, is at most 32: control
// characters, blanks, NUL, and all bytes 128..255.
std::string TrimBlanks(std::string_view text);

// Every character that is not an ASCII letter or digit becomes '_'.
std::string SanitizeKitName(std::string_view text);

// 127: "Off"; otherwise the letter of note mod 12 and the octave (note - 24) / 12: 36 is "C1".
std::string NoteName(int note);

// Codes 2..23: "Off", "64T", "64", "64.", ... "1T", "1", "1."; any other code: empty.
std::string CodeName(int code);
inline constexpr int kFirstCode = 2;
inline constexpr int kLastCode = 23;

} // namespace pulvex
