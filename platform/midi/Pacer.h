#pragma once
// Spacing of messages for a slow receiver: a message starts no earlier than the moment the one
// before it would have left a MIDI cable, plus a pause (old instruments need 20..150 ms to digest
// a dump). With no pause, nothing waits.

#include <chrono>
#include <cstddef>

namespace midi {

// A MIDI cable carries 31250 baud, ten bits a byte.
inline constexpr double kCableBytesPerSecond = 3125.0;

class Pacer {
public:
    using Clock = std::chrono::steady_clock;

    explicit Pacer(std::chrono::milliseconds pause = std::chrono::milliseconds(0)) {
        setPause(pause);
    }
    void setPause(std::chrono::milliseconds pause);
    std::chrono::milliseconds pause() const { return pause_; }

    // Waits until the next message may start; returns the moment it starts.
    Clock::time_point beginMessage();
    // The message begun at `start` had `bytes` bytes.
    void endMessage(Clock::time_point start, std::size_t bytes);

private:
    std::chrono::milliseconds pause_{0};
    Clock::time_point earliestNext_{};
};

} // namespace midi
