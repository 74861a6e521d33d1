#include "testing/MidiPeer.h"

#include "midi/MidiApi.h"
#include "testing/MidiDuplexPeer.h"

#include <algorithm>

#include <atomic>
#include <unistd.h>

namespace testing_support {

std::string MidiInputPeer::uniqueName(const std::string& base) {
    static std::atomic<int> counter{0};
    return base + " " + std::to_string(getpid()) + "-" + std::to_string(++counter);
}

MidiInputPeer::MidiInputPeer(const std::string& portName) : portName_(portName) {
    in_ = midi::makeInputClient("test-peer");
    if (!in_) return;
    in_->ignoreTypes(false, true, true);
    in_->setCallback(&MidiInputPeer::onMessage, this);
    in_->openVirtualPort(portName);
}

MidiInputPeer::~MidiInputPeer() {
    if (in_) {
        in_->cancelCallback();
        in_->closePort();
    }
}

void MidiInputPeer::onMessage(double, std::vector<unsigned char>* message, void* self) {
    auto* peer = static_cast<MidiInputPeer*>(self);
    {
        std::lock_guard lock(peer->mutex_);
        peer->messages_.emplace_back(message->begin(), message->end());
    }
    peer->arrived_.notify_all();
}

std::vector<Bytes> MidiInputPeer::waitForMessages(std::size_t count,
                                                  std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    arrived_.wait_for(lock, timeout, [&] { return messages_.size() >= count; });
    return messages_;
}

int MidiInputPeer::outputIndex() const {
    auto out = midi::makeOutputClient("test-lookup");
    if (!out) return -1;
    const auto names = midi::portNames(*out);
    const auto found = std::find(names.begin(), names.end(), listedPortName(*out, portName_));
    return found == names.end() ? -1 : static_cast<int>(found - names.begin());
}

} // namespace testing_support
