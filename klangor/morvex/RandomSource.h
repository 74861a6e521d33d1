#pragma once
// The pseudo-random numbers of the pages' random buttons. The number of draws is part of what a
// button does (a page draws 400 or 800 times and keeps the last), the exact sequence is not.

#include <cstdint>
#include <random>

namespace morvex {

class RandomSource {
public:
    explicit RandomSource(std::uint32_t seed = 1) : engine_(seed) {}

    void seed(std::uint32_t value) { engine_.seed(value); }
    void seedFromClock();

    // Draws k numbers from 0..n-1 and returns the last one; returns n itself when k is 0, and 0
    // when there is nothing to draw from (n <= 0), which random walks with no room rely on.
    int pick(int n, int k);

private:
    std::mt19937 engine_;
};

} // namespace morvex
