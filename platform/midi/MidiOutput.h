#pragma once
// An open MIDI output with a thread of its own that does the sending. A send through the MIDI
// service can block for ever when the service dies; the caller waits for the worker with its
// time-out instead, and a worker that never comes back is left behind rather than waited for.
//
// Each message goes to the back-end in what it can carry: in pieces where one call takes only so
// much (JACK), whole where a SysEx must not be split (WinMM; pieces a caller sends one by one are
// joined up to their F7 there). A send succeeds only when the service took every byte and the
// connection was still there after they left.

#include "midi/Backend.h"
#include "midi/Pacer.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace midi {

class MidiOutput {
public:
    enum class Outcome { Sent, TimedOut, Refused, ServiceStopped, PortGone, Closed };
    struct Result {
        Outcome outcome = Outcome::Sent;
        std::string error; // the service's own words, when it gave any
        explicit operator bool() const { return outcome == Outcome::Sent; }
        std::string text() const; // for the user: describe(outcome) and the service's words
    };

    // Opens the output on `backend`; null with `error` set when it cannot be opened.
    static std::shared_ptr<MidiOutput> open(const OpenRequest& request, std::string& error,
                                            Backend& backend = service());

    ~MidiOutput(); // close() with a patience of one second
    MidiOutput(const MidiOutput&) = delete;
    MidiOutput& operator=(const MidiOutput&) = delete;

    // Waits up to `ready` for earlier sends to finish, hands the message to the worker and waits
    // up to `done` for it to have left. A message may be a piece of a SysEx whose rest follows in
    // later sends.
    Result send(Bytes message, std::chrono::milliseconds ready, std::chrono::milliseconds done);
    Result send(Bytes message, std::chrono::milliseconds limit) {
        return send(std::move(message), limit, limit);
    }

    // A pause after each message before the next one starts, counted from the moment its bytes
    // would have left a MIDI cable (old instruments need 20..150 ms to digest a dump). 0: none.
    void setPause(std::chrono::milliseconds pause);

    // Stops the worker and closes the port once what was sent has left, waiting at most
    // `patience` for a send in progress. Sends after it are Closed.
    void close(std::chrono::milliseconds patience);

private:
    struct Job;
    struct Line; // shared with the worker, which may outlive this object in a dead service

    explicit MidiOutput(std::shared_ptr<Line> line) : line_(std::move(line)) {}

    std::shared_ptr<Line> line_;
};

const char* describe(MidiOutput::Outcome outcome);

} // namespace midi
