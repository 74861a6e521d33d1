#include "pulvex/model/NameLists.h"

#include "pulvex/model/WaveNameTable.h"

#include <algorithm>
#include <string>

namespace pulvex {

void storeVoiceNames(WaveNameTable& names, bool internalVoices,
                     std::span<const std::uint8_t> decoded) {
    const int room = internalVoices ? kInternalVoiceCount : kWavecardVoiceCount;
    for (int k = 0; k < room; ++k) {
        const std::size_t record = static_cast<std::size_t>(k) * kNameRecordLength;
        if (record >= decoded.size()) break;
        // A last, shorter record still gives what it holds of its name.
        const std::size_t from = std::min(decoded.size(), record + kNameRecordNameOffset);
        const std::size_t to = std::min(decoded.size(), from + 8);
        const std::string name(decoded.begin() + static_cast<std::ptrdiff_t>(from),
                               decoded.begin() + static_cast<std::ptrdiff_t>(to));
        const int slot = internalVoices ? kInternalVoiceSlot + k
                                        : kWavecardVoiceSlot + kBankSize * (k / 32) + k % 32;
        names.SetName(slot, name);
    }
}

} // namespace pulvex
