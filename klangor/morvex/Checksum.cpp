#include "morvex/Checksum.h"

#include <array>

namespace morvex {
namespace {

constexpr int kVectorArea = 171; // from here on, every fourth byte is a flag byte
constexpr int kLastSummed = 571;

// The flag bytes below the vector area count as one when they hold 1 and are left out of the sum
// otherwise. The list is the synthesizer's: it names 25 and 99 but not 53 and 127, 38 alone of the
// delay switches, and 40, 114, 161 but not 87. In the vector area every fourth byte is a flag that
// counts as one when it holds 1 and is summed like any other byte otherwise.
constexpr std::array<int, 27> kFlagPositions = {14,  17,  19,  22,  25,  36,  38,  40,  48,
                                                50,  63,  67,  71,  79,  83,  96,  99,  110,
                                                114, 122, 124, 137, 141, 145, 153, 157, 161};

} // namespace

void UpdateChecksum(VoiceBytes& data) {
    // Sum everything first (a loop the compiler vectorises), then take the flags back out.
    int sum = 0;
    for (int n = 0; n <= kLastSummed; ++n) sum += data[n];
    int ones = 0;
    for (int n : kFlagPositions) {
        sum -= data[n];
        ones += data[n] == 1;
    }
    for (int n = kVectorArea; n <= kLastSummed; n += 4) {
        if (data[n] != 1) continue;
        sum -= 1;
        ++ones;
    }
    data[573] = static_cast<std::uint8_t>(((2 - sum) % 128 + 128) % 128);
    const int q = (sum - 7) / 128; // truncates toward zero: 0 while sum < 7
    data[572] = (q + ones) % 2 == 0 ? 1 : 0;
    int last = 86 - ones - data[572];
    if (last < 0) last += 128;
    data[574] = static_cast<std::uint8_t>(last);
}

} // namespace morvex
