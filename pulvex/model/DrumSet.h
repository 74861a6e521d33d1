#pragma once
// One key of a drum map: 24 bytes, kept and stored exactly in this order.

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace pulvex {

class SettingsStore;

inline constexpr int kDrumSetSize = 24;
inline constexpr int kDrumSetNameLength = 12;
inline constexpr std::uint8_t kNoNote = 127; // shown as "Off"

class CDrumSet {
public:
    std::uint8_t fixed0 = 0;
    std::uint8_t channel = 0; // 0-based, shown 1..16
    std::uint8_t outNote = 0;
    std::uint8_t length = 0;   // code, see CodeName
    std::uint8_t quantize = 0; // code, see CodeName
    std::uint8_t level4 = 0;   // the fourth velocity level comes first
    std::uint8_t level1 = 0;
    std::uint8_t level2 = 0;
    std::uint8_t level3 = 0;
    std::uint8_t inNote = 0;
    std::uint8_t fixed10 = 0;
    std::uint8_t fixed11 = 0;
    std::array<char, kDrumSetNameLength> name{}; // space padded, no terminator

    // The defaults of a cleared row, with channel, codes and levels from the settings.
    void ResetToDefaults(const SettingsStore& settings);
    // Name = text (at most 12 characters, space padded); in and out note = note.
    void SetSound(const std::string& text, int note);
    // The 12 name bytes, trimmed (TrimBlanks).
    std::string GetName() const;

    // The 24 bytes as they stand, and back.
    std::array<std::uint8_t, kDrumSetSize> Serialize() const;
    void Serialize(std::span<const std::uint8_t, kDrumSetSize> bytes);

    bool operator==(const CDrumSet&) const = default;
};

} // namespace pulvex
