#pragma once
// Small arithmetic that the pages share to split and join combined values.

#include <array>

namespace morvex {

struct HighLow {
    int high = 0;
    int low = 0;
    bool operator==(const HighLow&) const = default;
};

// high = value / base (truncated toward zero), low = value - base * high.
HighLow DivMod(int base, int value);

// base * high + low: the inverse of DivMod.
int MulAdd(int base, int high, int low);

// bits[b] = 2^b when bit b of value is set, else 0 (b = 0..6): the weight, not 1.
std::array<int, 7> SplitBits(int value);

} // namespace morvex
