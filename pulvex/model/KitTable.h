#pragma once
// The kit as a table of ten columns, as the kit view and the command-line tool show it.

#include "pulvex/model/DrumSet.h"

#include <array>
#include <string>
#include <string_view>

namespace pulvex {

inline constexpr int kKitColumns = 10;
inline constexpr std::array<std::string_view, kKitColumns> kKitColumnHeaders = {
    "SOUND", "QNT", "I-NOTE", "LEN", "O-NOTE", "CHN", "LV1", "LV2", "LV3", "LV4"};
// The same columns spelled out, as a screen reader says them.
inline constexpr std::array<std::string_view, kKitColumns> kKitColumnNames = {
    "Sound",   "Quantize",   "Input note", "Length",     "Output note",
    "Channel", "Velocity 1", "Velocity 2", "Velocity 3", "Velocity 4"};

// The text of one cell: name, quantize, input note, length, output note, channel (1-based), levels.
std::string cellText(const CDrumSet& key, int column);

} // namespace pulvex
