#include "testing/MidiPeer.h"

#include <atomic>
#include <unistd.h>

namespace testing_support {

std::string listedPortName(midi::Direction direction, const std::string& port) {
    // The client part is ours, but the service may have made it unique ("test-peer-01").
    for (const midi::Port& listed : midi::service().ports(direction))
        if (listed.port() == port) return listed.name;
    return {};
}

midi::OpenRequest virtualPort(const std::string& client, const std::string& port) {
    midi::OpenRequest request;
    request.clientName = client;
    request.portName = port;
    return request;
}

std::string MidiInputPeer::uniqueName(const std::string& base) {
    static std::atomic<int> counter{0};
    return base + " " + std::to_string(getpid()) + "-" + std::to_string(++counter);
}

MidiInputPeer::MidiInputPeer(const std::string& portName) : portName_(portName) {
    std::string ignored;
    in_ = midi::MidiInput::open(virtualPort("test-peer", portName), ignored);
}

std::vector<Bytes> MidiInputPeer::waitForMessages(std::size_t count,
                                                  std::chrono::milliseconds timeout) {
    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + timeout;
    Bytes message;
    while (in_ && messages_.size() < count) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
        if (in_->next(message, std::max(left, std::chrono::milliseconds(0))) !=
            midi::MidiInput::Outcome::Message)
            break;
        messages_.push_back(std::move(message));
    }
    return messages_;
}

int MidiInputPeer::outputIndex() const {
    const auto ports = midi::service().ports(midi::Direction::Output);
    for (std::size_t i = 0; i < ports.size(); ++i)
        if (ports[i].port() == portName_) return static_cast<int>(i);
    return -1;
}

} // namespace testing_support
