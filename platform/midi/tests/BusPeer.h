#pragma once
// What the tests of the MIDI layer share: bytes written as hex, and a peer on an in-memory bus
// that keeps what reaches it.

#include "midi/MemoryBus.h"

#include <condition_variable>
#include <mutex>
#include <sstream>

namespace midi_test {

using midi::Bytes;

inline Bytes hex(const char* text) {
    Bytes bytes;
    std::istringstream in(text);
    unsigned value = 0;
    while (in >> std::hex >> value) bytes.push_back(static_cast<std::uint8_t>(value));
    return bytes;
}

// A SysEx message of `length` bytes, F0 .. F7.
inline Bytes sysEx(std::size_t length) {
    Bytes bytes(length);
    for (std::size_t i = 0; i < length; ++i) bytes[i] = static_cast<std::uint8_t>(i % 0x80);
    bytes.front() = 0xF0;
    bytes.back() = 0xF7;
    return bytes;
}

// An input port of the bus that records every message and every stop notice.
class BusPeer {
public:
    BusPeer(midi::Backend& bus, midi::OpenRequest request) {
        midi::InputHandlers handlers{
            .message =
                [this](const std::uint8_t* bytes, std::size_t length) {
                    std::lock_guard lock(mutex_);
                    messages_.emplace_back(bytes, bytes + length);
                },
            .serviceStopped =
                [this] {
                    std::lock_guard lock(mutex_);
                    ++stops_;
                },
        };
        port = bus.openInput(request, std::move(handlers), error);
    }
    ~BusPeer() { port.reset(); } // before what its handlers write to
    std::vector<Bytes> messages() const {
        std::lock_guard lock(mutex_);
        return messages_;
    }
    int stops() const {
        std::lock_guard lock(mutex_);
        return stops_;
    }

    std::string error;
    std::unique_ptr<midi::BackendInput> port;

private:
    mutable std::mutex mutex_;
    std::vector<Bytes> messages_;
    int stops_ = 0;
};

} // namespace midi_test
