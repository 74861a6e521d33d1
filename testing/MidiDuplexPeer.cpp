#include "testing/MidiDuplexPeer.h"

#include "testing/MidiPeer.h"

namespace testing_support {
namespace {

// Far more than any message of a test needs to leave.
constexpr std::chrono::milliseconds kSendLimit{5000};

} // namespace

MidiDuplexPeer::MidiDuplexPeer(Script script) : script_(std::move(script)) {
    const std::string unique = MidiInputPeer::uniqueName("");
    std::string ignored;
    in_ = midi::MidiInput::open(virtualPort("duplex-peer", "Peer In" + unique), ignored);
    out_ = midi::MidiOutput::open(virtualPort("duplex-peer", "Peer Out" + unique), ignored);
    if (!in_ || !out_) return;
    reader_ = std::thread([this] { listen(); });
    wireboxIn = listedPortName(midi::Direction::Input, "Peer Out" + unique);
    wireboxOut = listedPortName(midi::Direction::Output, "Peer In" + unique);
}

MidiDuplexPeer::~MidiDuplexPeer() {
    if (in_) in_->close(); // ends the reader's wait
    if (reader_.joinable()) reader_.join();
}

void MidiDuplexPeer::listen() {
    Bytes message;
    for (;;) {
        const auto outcome = in_->next(message, std::chrono::seconds(1));
        if (outcome == midi::MidiInput::Outcome::TimedOut) continue;
        if (outcome != midi::MidiInput::Outcome::Message) return;
        if (script_)
            if (const auto reply = script_(message)) send(*reply);
        {
            std::lock_guard lock(mutex_);
            received_.push_back(message);
        }
        arrived_.notify_all();
    }
}

midi::MidiOutput::Result MidiDuplexPeer::send(const Bytes& message) {
    if (!out_) return {midi::MidiOutput::Outcome::Closed, {}};
    return out_->send(message, kSendLimit);
}

std::vector<MidiDuplexPeer::Bytes>
MidiDuplexPeer::waitForMessages(std::size_t count, std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    arrived_.wait_for(lock, timeout, [&] { return received_.size() >= count; });
    return received_;
}

} // namespace testing_support
