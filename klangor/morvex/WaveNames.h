#pragma once
// The wave names the Tone page offers for each element type, in the instrument's own order: the
// position in a list is the wave number stored in the voice.

#include <array>
#include <string_view>

namespace morvex {

inline constexpr int kAwmWaveCount = 128;
inline constexpr int kFmPresetCount = 256;
inline constexpr int kUserDefinedWave = 256; // index of "UserDefined" in the FM wave list

// The AWM wave list of the Tone page (wave numbers 0..127 of elements A and C).
const std::array<std::string_view, kAwmWaveCount>& AwmWaveNames();

// The FM wave list of the Tone page: the 256 preset waves of elements B and D, then "UserDefined".
const std::array<std::string_view, kFmPresetCount + 1>& FmWaveNames();

} // namespace morvex
