#pragma once
// What a MIDI service must offer the suite. Two back-ends implement it: RtMidi (the real services:
// JACK, ALSA, WinMM, CoreMIDI) and an in-memory bus for tests. Programs use MidiInput and
// MidiOutput over it, never a back-end's ports directly.

#include "midi/Port.h"

#include <chrono>
#include <cstddef>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace midi {

// How one send call of a back-end may carry a long message.
struct Carriage {
    // The most bytes one call takes (JACK's ring buffer holds 16 kB; RtMidi drops a longer one).
    std::size_t largestPiece = std::numeric_limits<std::size_t>::max();
    // A SysEx message must be handed over whole, never in pieces (WinMM sends only a buffer that
    // starts with F0 as SysEx and drops any other message longer than three bytes).
    bool sysExWhole = false;
};

// What to open. With `connectTo` the suite's port is connected to that port of another program;
// without it the port is a virtual one that other programs connect to (the emulator, test peers).
struct OpenRequest {
    std::string clientName; // how the suite's program shows in the service ("Wirebox", "Klangor")
    std::string portName;   // the port's own name ("in", "MIDI In")
    std::optional<Port> connectTo;
    bool timingMessages = false; // inputs: clock and active sensing too (an instrument sees all)
};

class BackendInput {
public:
    virtual ~BackendInput() = default; // closes; no handler runs once it has returned
};

class BackendOutput {
public:
    enum class Put { Taken, Busy, Refused, ServiceStopped };

    virtual ~BackendOutput() = default; // closes

    // Hands bytes to the service. Busy: its buffer is full for now and nothing was taken, try again
    // a moment later. ServiceStopped: the service has gone away. May block while the service is
    // stuck, so MidiOutput calls it off the caller's thread.
    virtual Put put(const std::uint8_t* bytes, std::size_t length, std::string& error) = 0;

    enum class Drained { Done, TimedOut, ServiceStopped, PortGone };

    // Waits until everything put has left the process, at most `limit`, and says whether it did
    // or why not.
    virtual Drained drain(std::chrono::milliseconds limit) = 0;
};

// Called on the service's thread.
struct InputHandlers {
    std::function<void(const std::uint8_t* bytes, std::size_t length)> message; // SysEx whole
    std::function<void()> serviceStopped;
};

class Backend {
public:
    virtual ~Backend() = default;

    // "jack", "alsa", "memory", ...
    virtual std::string name() const = 0;
    // Why no port can be listed or opened (no service, an unknown MIDI_API), or empty.
    virtual std::string problem() = 0;

    virtual std::vector<Port> ports(Direction direction) = 0;
    // Null with `error` set when the port cannot be opened.
    virtual std::unique_ptr<BackendInput> openInput(const OpenRequest& request,
                                                    InputHandlers handlers, std::string& error) = 0;
    virtual std::unique_ptr<BackendOutput> openOutput(const OpenRequest& request,
                                                      std::string& error) = 0;
    virtual Carriage carriage() const = 0;

    // Keeps what the back-end needs while MIDI is in use (on JACK one helper client per process)
    // across a listing and the opens that follow it. Open ports keep it by themselves; once the
    // last holder is gone it is closed.
    virtual std::shared_ptr<void> hold();
};

// The library that talks to the system's MIDI services, for an about box ("RtMidi").
const char* systemMidiLibrary();

// The back-end of this process: RtMidi on the API that MIDI_API names (or the platform's own),
// unless a test installed another.
Backend& service();

// Installs `backend` as the process's service for as long as the object lives (tests).
class ServiceOverride {
public:
    explicit ServiceOverride(Backend& backend);
    ~ServiceOverride();
    ServiceOverride(const ServiceOverride&) = delete;
    ServiceOverride& operator=(const ServiceOverride&) = delete;

private:
    Backend* previous_;
};

} // namespace midi
