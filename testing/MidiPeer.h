#pragma once
// The other end of the MIDI bus in a test: a virtual input port that collects every SysEx message
// sent to it, as an instrument would receive them.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <rtmidi/RtMidi.h>
#include <string>
#include <vector>

namespace testing_support {

using Bytes = std::vector<std::uint8_t>;

class MidiInputPeer {
public:
    // A port name that no earlier peer of this process used: a port that is being torn down can
    // still be listed for a moment, and a message sent to it is lost.
    static std::string uniqueName(const std::string& base);

    // Opens a virtual input port called portName on the test bus.
    explicit MidiInputPeer(const std::string& portName);
    ~MidiInputPeer();

    bool isOpen() const { return in_ != nullptr; }

    // Waits until `count` messages have arrived or the time is up; returns all received so far.
    std::vector<Bytes> waitForMessages(std::size_t count, std::chrono::milliseconds timeout);

    // The device number under which the suite's MIDI outputs list this port, or -1.
    int outputIndex() const;

private:
    static void onMessage(double, std::vector<unsigned char>* message, void* self);

    std::string portName_;
    std::unique_ptr<RtMidiIn> in_;
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::vector<Bytes> messages_;
};

} // namespace testing_support
