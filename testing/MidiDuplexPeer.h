#pragma once
// An instrument's end of the MIDI bus for tests and benchmarks: a virtual input and a virtual
// output port; it collects everything sent to it and can answer from a small script.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <rtmidi/RtMidi.h>
#include <string>
#include <vector>

namespace testing_support {

// The name under which other clients list a port of ours ("client:port" on JACK), or empty.
std::string listedPortName(RtMidi& lister, const std::string& port);

class MidiDuplexPeer {
public:
    using Bytes = std::vector<std::uint8_t>;
    // Given each message the peer receives; what it returns, if anything, the peer sends back.
    using Script = std::function<std::optional<Bytes>(const Bytes&)>;

    explicit MidiDuplexPeer(Script script = {});
    ~MidiDuplexPeer();
    MidiDuplexPeer(const MidiDuplexPeer&) = delete;
    MidiDuplexPeer& operator=(const MidiDuplexPeer&) = delete;

    bool ready() const { return !wireboxIn.empty() && !wireboxOut.empty(); }

    // One message; a long one in pieces a cycle apart, as JACK takes at most about 16 kB at once.
    void send(const Bytes& message);
    std::vector<Bytes> waitForMessages(std::size_t count, std::chrono::milliseconds timeout);

    // The listed names of the peer's output and input: what Wirebox opens as its input and output.
    std::string wireboxIn, wireboxOut;

private:
    static void onMessage(double, std::vector<unsigned char>* message, void* self);

    Script script_;
    std::unique_ptr<RtMidiIn> in_;
    std::unique_ptr<RtMidiOut> out_;
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::vector<Bytes> received_;
};

} // namespace testing_support
