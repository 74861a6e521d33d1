#pragma once
// An instrument's end of the MIDI bus for tests and benchmarks: a virtual input and a virtual
// output port; it collects everything sent to it and can answer from a small script. It stands on
// the process's MIDI service, so it also works on an in-memory bus that a test installed.

#include "midi/MidiInput.h"
#include "midi/MidiOutput.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace testing_support {

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

    midi::MidiOutput::Result send(const Bytes& message);
    std::vector<Bytes> waitForMessages(std::size_t count, std::chrono::milliseconds timeout);

    // The listed names of the peer's output and input: what Wirebox opens as its input and output.
    std::string wireboxIn, wireboxOut;

private:
    void listen(); // on reader_: collects what arrives and answers it from the script

    Script script_;
    std::shared_ptr<midi::MidiInput> in_;
    std::shared_ptr<midi::MidiOutput> out_;
    std::thread reader_;
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::vector<Bytes> received_;
};

} // namespace testing_support
