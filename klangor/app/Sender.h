#pragma once
// The window's sends run off the GUI thread: opening a port waits for the MIDI service, and a
// service that hangs would otherwise freeze the window. One worker sends in the order the sends
// were made; a failure comes back to the GUI thread as a status note, a success as a note of what
// went where.

#include "morvex/Transmission.h"

#include <QObject>
#include <QString>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace klangor {

class VoiceSender {
public:
    // Told on the GUI thread how each send ended: the note for the user, and whether it went.
    using ResultHandler = std::function<void(const QString& note, bool sent)>;
    explicit VoiceSender(ResultHandler onResult);
    // Lets the sends still queued go out, waiting at most one send time-out for each; a send
    // stuck in a hung service is left behind.
    ~VoiceSender();
    VoiceSender(const VoiceSender&) = delete;
    VoiceSender& operator=(const VoiceSender&) = delete;

    // What one send carries; `voiceName` only names it in the note of a success.
    struct Outgoing {
        std::vector<std::uint8_t> message;
        morvex::Destination to;
        std::string voiceName;
    };

    // Queues the message and returns at once. Call on the GUI thread.
    void send(std::vector<std::uint8_t> message, morvex::Destination to);
    void send(Outgoing outgoing);
    // For a stream of edits: while an earlier latest send has not started, this one takes its
    // place, so at most one dump is in flight and the next one is always the newest voice.
    void sendLatest(Outgoing outgoing);

    // The pause after each message (on top of its time on a MIDI cable).
    void setPause(std::chrono::milliseconds pause);

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

// Ends the note of a send to a port that is not there; the main window then offers the setup.
inline constexpr const char* kSetupOffer = " Choose the output under Options > MIDI Setup...";

// `Sent "Init Pad" to PORT (592 bytes)`: the note of a send that went.
QString sentText(const std::string& voiceName, const std::string& port, std::size_t bytes);

} // namespace klangor
