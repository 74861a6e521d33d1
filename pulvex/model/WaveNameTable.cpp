#include "pulvex/model/WaveNameTable.h"

#include "pulvex/model/TextRules.h"

#include <algorithm>

namespace pulvex {

namespace {

// Sound numbers in banks 7..12 play the same ROM waves as banks 0..5.
constexpr int kRepeatSlot = 7 * kBankSize; // 896
constexpr int kRomBanks = 6;

bool inRange(int slot) {
    return slot >= 0 && slot < kWaveNameSlots;
}

} // namespace

std::string_view CategoryPrefix(int bank) {
    static constexpr std::string_view kPrefixes[] = {
        "bd", "sd", "tm", "cy", "pc", "se", "mx", "bd", "sd", "tm", "cy", "pc",
        "se", "mx", "bd", "sd", "tm", "cy", "pc", "se", "s1", "s2", "s3", "Off"};
    if (bank < 0 || bank >= static_cast<int>(std::size(kPrefixes))) return {};
    return kPrefixes[bank];
}

void WaveNameTable::Load() {
    names_.fill({});
    namesRetrieved = false;
    const std::span<const char> list = waveNameList();
    std::size_t at = 0;
    for (int slot = 0; slot < kRomBanks * kBankSize; ++slot) {
        const auto end =
            std::find(list.begin() + static_cast<std::ptrdiff_t>(at), list.end(), '\0');
        const auto length = static_cast<std::size_t>(end - list.begin()) - at;
        const std::string name = TrimBlanks(std::string_view(list.data() + at, length));
        names_[slot] = name;
        names_[kRepeatSlot + slot] = name;
        at = std::min(list.size(), at + length + 1);
    }
}

const std::string& WaveNameTable::Name(int sound) const {
    static const std::string kEmpty;
    return inRange(sound) ? names_[sound] : kEmpty;
}

void WaveNameTable::SetName(int slot, std::string_view text) {
    if (inRange(slot)) names_[slot] = std::string(text.substr(0, 8));
}

} // namespace pulvex
