#pragma once
// What the virtual Pulvex module holds: its internal voice names, its wave-card voice names and
// 64 kits in each of its three banks.

#include <array>
#include <string>
#include <vector>

namespace emulator {

inline constexpr int kInternalVoices = 128;
inline constexpr int kWavecardVoices = 96;
inline constexpr int kKitsPerBank = 64;
inline constexpr int kKitEntries = 49;
inline constexpr int kNoSound = 0xFFF; // a sound number beyond the last bank: the key stays silent

// Kit banks by the code that a kit request carries.
enum KitBank { PresetBank = 0, CardBank = 1, InternalBank = 2 };

struct KitSetup {
    std::string name;        // up to 9 characters
    std::vector<int> sounds; // up to 49 sound numbers, 12 bits each (bank * 128 + position)
};

struct PulvexSetup {
    std::vector<std::string> internalVoices;   // up to 128 names of up to 8 characters
    std::vector<std::string> wavecardVoices;   // up to 96
    std::array<std::vector<KitSetup>, 3> kits; // by KitBank, up to 64 each
};

// The setup the emulator starts with unless --setup names another.
PulvexSetup builtInSetup();

// Reads a setup from a JSON file (format in the README); false with `error` saying what is wrong.
bool loadSetup(const std::string& path, PulvexSetup& setup, std::string& error);

} // namespace emulator
