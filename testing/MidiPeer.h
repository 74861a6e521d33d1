#pragma once
// The other end of the MIDI bus in a test: a virtual input port that collects every SysEx message
// sent to it, as an instrument would receive them. It stands on the process's MIDI service, so it
// also works on an in-memory bus that a test installed.

#include "midi/MidiInput.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace testing_support {

using Bytes = std::vector<std::uint8_t>;

// The name under which the suite lists a port of ours ("client:port"), or empty. `direction` is
// the side the suite would open: Output to send to our input port, Input to hear our output port.
std::string listedPortName(midi::Direction direction, const std::string& port);

// A virtual port of a peer: other programs connect to it.
midi::OpenRequest virtualPort(const std::string& client, const std::string& port);

class MidiInputPeer {
public:
    // A port name that no earlier peer of this process used: a port that is being torn down can
    // still be listed for a moment, and a message sent to it is lost.
    static std::string uniqueName(const std::string& base);

    // Opens a virtual input port called portName on the test bus.
    explicit MidiInputPeer(const std::string& portName);

    bool isOpen() const { return in_ != nullptr; }

    // Waits until `count` messages have arrived or the time is up; returns all received so far.
    std::vector<Bytes> waitForMessages(std::size_t count, std::chrono::milliseconds timeout);

    // The device number under which the suite's MIDI outputs list this port, or -1.
    int outputIndex() const;

private:
    std::string portName_;
    std::shared_ptr<midi::MidiInput> in_;
    std::vector<Bytes> messages_;
};

} // namespace testing_support
