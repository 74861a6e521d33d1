#pragma once
// What Wirebox needs of the MIDI service: the port lists, and opening one input and one output.
// The library uses RtMidi (RtMidiSystem); the tests of the port logic hand in a fake.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace wirebox {

using Bytes = std::vector<std::uint8_t>;

class MidiOutputPort {
public:
    virtual ~MidiOutputPort() = default; // closes the port once what was sent has left it
    // Sends one message or one piece of a SysEx message. May block for as long as the service
    // does; the caller bounds the wait.
    virtual bool send(const std::uint8_t* bytes, std::size_t length) = 0;
};

class MidiInputPort {
public:
    virtual ~MidiInputPort() = default; // closes the port; no callback runs afterwards
};

class MidiSystem {
public:
    // Called on the service's thread with each incoming message (SysEx whole, F0 .. F7).
    using MessageCallback = std::function<void(const Bytes&)>;

    virtual ~MidiSystem() = default;
    virtual std::vector<std::string> inputNames() = 0; // product names, index = port number
    virtual std::vector<std::string> outputNames() = 0;
    // Null with `error` set when the port cannot be opened.
    virtual std::unique_ptr<MidiInputPort> openInput(int index, MessageCallback onMessage,
                                                     std::string& error) = 0;
    virtual std::unique_ptr<MidiOutputPort> openOutput(int index, std::string& error) = 0;
    // The longest message the service takes in one piece.
    virtual std::size_t largestPiece() const = 0;
};

std::shared_ptr<MidiSystem> makeRtMidiSystem();

} // namespace wirebox
