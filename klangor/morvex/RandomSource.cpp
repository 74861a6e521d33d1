#include "morvex/RandomSource.h"

#include <chrono>

namespace morvex {

void RandomSource::seedFromClock() {
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    engine_.seed(static_cast<std::uint32_t>(ticks ^ (ticks >> 32)));
}

int RandomSource::pick(int n, int k) {
    if (k <= 0) return n;
    if (n <= 0) return 0;
    std::uniform_int_distribution<int> range(0, n - 1);
    int last = 0;
    for (int i = 0; i < k; ++i) last = range(engine_);
    return last;
}

} // namespace morvex
