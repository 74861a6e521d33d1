#include "morvex/Checksum.h"

#include <algorithm>
#include <array>

namespace morvex {
namespace {

// The flag bytes of the parameter area that count as "ones" rather than into the sum. The list is
// the synthesizer's: it names 25 and 99 but not 53 and 127, 38 alone of the delay switches, and
// 40, 114, 161 but not 87.
constexpr std::array<int, 27> kFlagPositions = {14,  17,  19,  22,  25,  36,  38,  40,  48,
                                                50,  63,  67,  71,  79,  83,  96,  99,  110,
                                                114, 122, 124, 137, 141, 145, 153, 157, 161};
constexpr int kVectorArea = 171; // from here on, every fourth byte is a flag byte
constexpr int kLastSummed = 571;

bool isFlagPosition(int n) {
    return std::binary_search(kFlagPositions.begin(), kFlagPositions.end(), n);
}

} // namespace

void UpdateChecksum(VoiceBytes& data) {
    int sum = 0;
    int ones = 0;
    // Below the vector area a flag byte counts only when it is 1; in the vector area a flag byte
    // that is not 1 goes into the sum like any other byte.
    for (int n = 0; n < kVectorArea; ++n) {
        if (isFlagPosition(n))
            ones += data[n] == 1;
        else
            sum += data[n];
    }
    for (int n = kVectorArea; n <= kLastSummed; ++n) {
        if ((n + 1) % 4 == 0 && data[n] == 1)
            ++ones;
        else
            sum += data[n];
    }
    data[573] = static_cast<std::uint8_t>(((2 - sum) % 128 + 128) % 128);
    const int q = (sum - 7) / 128; // truncates toward zero: 0 while sum < 7
    data[572] = (q + ones) % 2 == 0 ? 1 : 0;
    int last = 86 - ones - data[572];
    if (last < 0) last += 128;
    data[574] = static_cast<std::uint8_t>(last);
}

} // namespace morvex
