#pragma once
// An open MIDI input: whole incoming messages wait in a bounded queue until the program collects
// them, so the service's thread never waits for the program and no message is lost because the
// one before it was not yet collected.

#include "midi/Backend.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>

namespace midi {

// What an input keeps of messages the program has not yet collected.
struct InputLimits {
    std::size_t messages = 256;   // messages...
    std::size_t bytes = 4u << 20; // ...and their bytes
    bool sysExOnly = false;       // other messages are not kept (and cannot fill the queue)
};

class MidiInput {
public:
    enum class Outcome { Message, TimedOut, ServiceStopped, Closed };
    using Limits = InputLimits;

    // Opens the input on `backend`; null with `error` set when it cannot be opened.
    static std::shared_ptr<MidiInput> open(const OpenRequest& request, std::string& error,
                                           Backend& backend = service(), Limits limits = {});

    ~MidiInput(); // closes
    MidiInput(const MidiInput&) = delete;
    MidiInput& operator=(const MidiInput&) = delete;

    // The next message, waiting at most `wait`. ServiceStopped and Closed come at once, also to a
    // wait in progress.
    Outcome next(Bytes& message, std::chrono::milliseconds wait);

    // Ends every wait (Closed) and closes the port; later messages are not kept.
    void close();

    bool serviceStopped() const;
    std::size_t dropped() const; // messages lost because the queue was full

private:
    explicit MidiInput(Limits limits) : limits_(limits) {}
    void arrive(const std::uint8_t* bytes, std::size_t length);
    void stop();

    const Limits limits_;
    std::unique_ptr<BackendInput> port_;
    std::mutex closing_; // close() comes once
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Bytes> queue_;
    std::size_t queuedBytes_ = 0;
    std::size_t dropped_ = 0;
    bool open_ = true;
    bool stopped_ = false;
};

const char* describe(MidiInput::Outcome outcome); // "The MIDI service stopped" etc.

} // namespace midi
