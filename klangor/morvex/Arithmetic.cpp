#include "morvex/Arithmetic.h"

namespace morvex {

HighLow DivMod(int base, int value) {
    if (base == 0) return {0, value};
    const int high = static_cast<int>(static_cast<double>(value) / base);
    return {high, value - base * high};
}

int MulAdd(int base, int high, int low) {
    return base * high + low;
}

std::array<int, 7> SplitBits(int value) {
    std::array<int, 7> bits{};
    for (int b = 6; b >= 0; --b) {
        const int weight = 1 << b;
        if (value / weight == 1) {
            bits[b] = weight;
            value -= weight;
        }
    }
    return bits;
}

} // namespace morvex
