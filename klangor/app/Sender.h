#pragma once
// The window's sends run off the GUI thread: opening a port waits for the MIDI service, and a
// service that hangs would otherwise freeze the window. One worker sends in the order the sends
// were made; a failure comes back to the GUI thread as a status note.

#include "morvex/Transmission.h"

#include <QObject>
#include <chrono>
#include <cstdint>
#include <memory>
#include <vector>

namespace klangor {

class VoiceSender {
public:
    VoiceSender();
    // Lets the sends still queued go out, waiting at most one send time-out for each; a send
    // stuck in a hung service is left behind.
    ~VoiceSender();
    VoiceSender(const VoiceSender&) = delete;
    VoiceSender& operator=(const VoiceSender&) = delete;

    // Queues `message` for `to` and returns at once. Call on the GUI thread.
    void send(std::vector<std::uint8_t> message, morvex::Destination to);

    // The longest one send may take once its port is open (default 5 s).
    void setTimeout(std::chrono::milliseconds timeout);

    // Runs the GUI thread's events until every send made so far has finished and its note was
    // shown, at most `limit`; false when that did not happen in time.
    bool waitUntilIdle(std::chrono::milliseconds limit);

private:
    struct Queue; // shared with the worker, which may outlive the sender in a hung service

    std::shared_ptr<Queue> queue_;
    QObject inbox_; // on the GUI thread: results are delivered to it
};

// The sender of the window program.
VoiceSender& voiceSender();

} // namespace klangor
