#include "midi/Pacer.h"

#include <algorithm>
#include <thread>

namespace midi {

void Pacer::setPause(std::chrono::milliseconds pause) {
    pause_ = std::max(pause, std::chrono::milliseconds(0));
}

Pacer::Clock::time_point Pacer::beginMessage() {
    if (pause_.count() > 0) std::this_thread::sleep_until(earliestNext_);
    return Clock::now();
}

void Pacer::endMessage(Clock::time_point start, std::size_t bytes) {
    if (pause_.count() == 0) return;
    const std::chrono::duration<double> onTheCable(static_cast<double>(bytes) /
                                                   kCableBytesPerSecond);
    earliestNext_ = start + std::chrono::duration_cast<Clock::duration>(onTheCable) + pause_;
}

} // namespace midi
