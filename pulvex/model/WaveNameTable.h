#pragma once
// The names of the module's sounds, by sound number (bank * 128 + position): the wave ROM's names
// in banks 0..5, repeated in banks 7..12, the internal voices in bank 6 and the wave-card voices in
// banks 20..22, fetched from the module.

#include <array>
#include <span>
#include <string>
#include <string_view>

namespace pulvex {

inline constexpr int kBankSize = 128;
inline constexpr int kWaveNameSlots = 23 * kBankSize;     // 2944
inline constexpr int kInternalVoiceSlot = 6 * kBankSize;  // 768
inline constexpr int kWavecardVoiceSlot = 20 * kBankSize; // 2560
inline constexpr int kNoSoundBank = 23;                   // this bank and above: no sound

// The two-letter category of a sound's bank (index = sound / 128, 0..23; 23 is "Off").
std::string_view CategoryPrefix(int bank);

// The wave-name list as the program carries it: NUL-ended texts, 769 of them (6 banks of 128 and
// one more), 4623 bytes.
std::span<const char> waveNameList();

class WaveNameTable {
public:
    bool namesRetrieved = false;

    // Fills banks 0..5 and 7..12 from the wave-name list; everything else empty.
    void Load();
    // Slot 0..2943; empty for any other number.
    const std::string& Name(int sound) const;
    // Stores the first 8 characters of text in the slot (ignored outside 0..2943).
    void SetName(int slot, std::string_view text);

private:
    std::array<std::string, kWaveNameSlots> names_;
};

} // namespace pulvex
