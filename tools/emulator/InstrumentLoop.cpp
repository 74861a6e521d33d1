#include "InstrumentLoop.h"

#include <algorithm>
#include <thread>

namespace emulator {
namespace {

using Clock = std::chrono::steady_clock;

// How often a wait looks whether a stop came.
constexpr std::chrono::milliseconds kStopCheck{50};

// False when a stop came first.
bool waitUntil(Clock::time_point due, const std::atomic<bool>& stop) {
    for (auto now = Clock::now(); !stop && now < due; now = Clock::now())
        std::this_thread::sleep_for(std::min<Clock::duration>(kStopCheck, due - now));
    return !stop;
}

void sendReplies(EmulatorPorts& ports, WireLog& log, const std::vector<Outgoing>& replies,
                 const std::atomic<bool>& stop) {
    for (const Outgoing& reply : replies) {
        if (!waitUntil(Clock::now() + reply.delay, stop)) return;
        const auto result = ports.send(reply.bytes, stop);
        if (stop) return;
        if (!result) {
            // The rest of the answer would make no sense without this part.
            log.note("midi-emulator: " + reply.summary + " not sent: " + result.text());
            return;
        }
        log.sent(reply.bytes, reply.summary);
    }
}

} // namespace

void runInstrument(EmulatorPorts& ports, Instrument& instrument, WireLog& log,
                   const std::atomic<bool>& stop) {
    bool serviceGoneNoted = false;
    Bytes message;
    while (!stop) {
        switch (ports.next(message, kStopCheck)) {
        case midi::MidiInput::Outcome::Message: {
            const Reaction reaction = instrument.handle(message);
            log.received(message, reaction.summary);
            sendReplies(ports, log, reaction.replies, stop);
            break;
        }
        case midi::MidiInput::Outcome::TimedOut:
            break;
        case midi::MidiInput::Outcome::ServiceStopped:
        case midi::MidiInput::Outcome::Closed:
            if (!serviceGoneNoted)
                log.note("midi-emulator: the MIDI service stopped; the ports are gone");
            serviceGoneNoted = true;
            waitUntil(Clock::now() + kStopCheck, stop);
            break;
        }
    }
}

} // namespace emulator
