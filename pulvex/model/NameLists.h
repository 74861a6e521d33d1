#pragma once
// The module's voice-name lists: 72-byte records with the 8-character name at offset 9.

#include <cstdint>
#include <span>

namespace pulvex {

class WaveNameTable;

inline constexpr int kNameRecordLength = 72;
inline constexpr int kNameRecordNameOffset = 9;
inline constexpr int kInternalVoiceCount = 128; // bank 6
inline constexpr int kWavecardVoiceCount = 96;  // 32 at the head of each of banks 20, 21, 22

// Stores the names of a decoded "VI" list in bank 6 (record k in slot 768 + k), or of a "VW" list
// in the wave-card banks (record k in slot 2560 + 128 * (k / 32) + k % 32). Records are taken while
// decoded bytes remain, a last shorter one included; names beyond a bank's room are dropped.
void storeVoiceNames(WaveNameTable& names, bool internalVoices,
                     std::span<const std::uint8_t> decoded);

} // namespace pulvex
