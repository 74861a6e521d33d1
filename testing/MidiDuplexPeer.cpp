#include "testing/MidiDuplexPeer.h"

#include "midi/MidiApi.h"
#include "testing/MidiPeer.h"

#include <algorithm>

namespace testing_support {

std::string listedPortName(RtMidi& lister, const std::string& port) {
    for (const std::string& name : midi::portNames(lister))
        if (name.size() > port.size() && name.ends_with(":" + port)) return name;
    return {};
}

MidiDuplexPeer::MidiDuplexPeer(Script script) : script_(std::move(script)) {
    in_ = midi::makeInputClient("duplex-peer");
    out_ = midi::makeOutputClient("duplex-peer");
    if (!in_ || !out_) return;
    const std::string unique = MidiInputPeer::uniqueName("");
    in_->ignoreTypes(false, true, true);
    in_->setCallback(&MidiDuplexPeer::onMessage, this);
    in_->openVirtualPort("Peer In" + unique);
    out_->openVirtualPort("Peer Out" + unique);
    auto inputLister = midi::makeInputClient("peer-lister");
    auto outputLister = midi::makeOutputClient("peer-lister");
    if (!inputLister || !outputLister) return;
    wireboxIn = listedPortName(*inputLister, "Peer Out" + unique);
    wireboxOut = listedPortName(*outputLister, "Peer In" + unique);
}

MidiDuplexPeer::~MidiDuplexPeer() {
    // Unregistering a port in the same cycles in which Wirebox's ports went away crashed now and
    // then inside libjack, in the peer's own process thread; a few cycles later it does not.
    midi::waitForJackCycles(4);
    if (in_) {
        in_->cancelCallback();
        in_->closePort();
    }
    midi::closeOutput(out_);
}

void MidiDuplexPeer::send(const Bytes& message) {
    constexpr std::size_t kPiece = 8000;
    for (std::size_t at = 0; at < message.size(); at += kPiece) {
        if (at > 0) midi::waitForJackCycles(2);
        out_->sendMessage(message.data() + at, std::min(kPiece, message.size() - at));
    }
}

std::vector<MidiDuplexPeer::Bytes>
MidiDuplexPeer::waitForMessages(std::size_t count, std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    arrived_.wait_for(lock, timeout, [&] { return received_.size() >= count; });
    return received_;
}

void MidiDuplexPeer::onMessage(double, std::vector<unsigned char>* message, void* self) {
    auto* peer = static_cast<MidiDuplexPeer*>(self);
    const Bytes bytes(message->begin(), message->end());
    if (peer->script_)
        if (const auto reply = peer->script_(bytes)) peer->send(*reply);
    {
        std::lock_guard lock(peer->mutex_);
        peer->received_.push_back(bytes);
    }
    peer->arrived_.notify_all();
}

} // namespace testing_support
