#pragma once
// An open output port with a thread of its own that does the sending. A send through the MIDI
// service can block for ever when the service dies; the caller waits for the worker with its
// time-out instead, and a worker that never comes back is left behind rather than waited for.

#include "MidiSystem.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

namespace wirebox {

class OutputLine : public std::enable_shared_from_this<OutputLine> {
public:
    static std::shared_ptr<OutputLine> start(std::unique_ptr<MidiOutputPort> port,
                                             std::size_t largestPiece);

    // Waits up to `ready` for earlier sends to finish, hands the bytes to the worker and waits up
    // to `done` for them to go out. False when either wait runs out or the port refused them.
    bool send(Bytes bytes, std::chrono::milliseconds ready, std::chrono::milliseconds done);

    // Stops the worker and closes the port, waiting at most `patience` for a send in progress.
    void stop(std::chrono::milliseconds patience);

private:
    struct Job {
        Bytes bytes;
        std::shared_ptr<bool> done, ok;
    };

    OutputLine(std::unique_ptr<MidiOutputPort> port, std::size_t largestPiece)
        : port_(std::move(port)), largestPiece_(largestPiece) {}
    void run();
    bool sendInPieces(const Bytes& bytes);
    bool idle() const { return !busy_ && jobs_.empty(); }

    std::unique_ptr<MidiOutputPort> port_;
    const std::size_t largestPiece_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Job> jobs_;
    bool busy_ = false;
    bool stopping_ = false;
    std::thread worker_;
};

} // namespace wirebox
