#include "pulvex/model/TextRules.h"

#include "pulvex/model/DrumSet.h"

#include <array>

namespace pulvex {

namespace {

// The module pads with NUL and blanks, and old dumps carry stray high bytes: all count as blank.
bool isBlank(char c) {
    return static_cast<signed char>(c) <= 32;
}

bool isAsciiAlnum(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

} // namespace

std::string TrimBlanks(std::string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && isBlank(text[begin])) ++begin;
    while (end > begin && isBlank(text[end - 1])) --end;
    return std::string(text.substr(begin, end - begin));
}

std::string SanitizeKitName(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        if (!isAsciiAlnum(c)) c = '_';
    return result;
}

std::string NoteName(int note) {
    static constexpr std::array<const char*, 12> kLetters = {"C",  "C#", "D",  "D#", "E",  "F",
                                                             "F#", "G",  "G#", "A",  "A#", "B"};
    if (note == kNoNote) return "Off";
    // Truncating division, as the drum maps show it: notes 13..23 share octave 0 with 24..35.
    return std::string(kLetters[((note % 12) + 12) % 12]) + std::to_string((note - 24) / 12);
}

std::string CodeName(int code) {
    static constexpr std::array<const char*, kLastCode - kFirstCode + 1> kCodes = {
        "Off", "64T", "64", "64.", "32T", "32", "32.", "16T", "16", "16.", "8T",
        "8",   "8.",  "4T", "4",   "4.",  "2T", "2",   "2.",  "1T", "1",   "1."};
    if (code < kFirstCode || code > kLastCode) return {};
    return kCodes[code - kFirstCode];
}

} // namespace pulvex
