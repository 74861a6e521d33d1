#include "PortState.h"

#include "StringTable.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

namespace wirebox {

using midi::Bytes;

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::uint8_t kSysExStart = 0xF0;
// A send that finds the output ready is given at least this long to go out, so that a time-out
// of 0 still sends once, as it always has.
constexpr std::chrono::milliseconds kLeastSendTime{100};
// How Wirebox shows in the MIDI service, as it always has: one client per direction.
constexpr const char* kInputName = "Wirebox in";
constexpr const char* kOutputName = "Wirebox out";

void writeToStandardError(const char* caption, const char* text, void*) {
    if (caption)
        std::fprintf(stderr, "%s: %s\n", caption, text);
    else
        std::fprintf(stderr, "%s\n", text);
}

// The first port listed under exactly `wanted` (case-sensitive, no partial names: hosts rely on
// opening precisely the port they stored).
const midi::Port* exactPort(const std::vector<midi::Port>& ports, const char* wanted) {
    if (!wanted) return nullptr;
    const int index = midi::indexOf(ports, wanted);
    return index < 0 ? nullptr : &ports[static_cast<std::size_t>(index)];
}

midi::OpenRequest requestFor(const char* name, const midi::Port& port) {
    return {.clientName = name, .portName = name, .connectTo = port, .timingMessages = false};
}

std::uint8_t* callersBlock(const Bytes& message, std::uint32_t* length) {
    if (length) *length = static_cast<std::uint32_t>(message.size());
    auto* block = static_cast<std::uint8_t*>(std::malloc(message.size()));
    if (block) std::memcpy(block, message.data(), message.size());
    return block;
}

} // namespace

PortState::PortState() : sink_(writeToStandardError) {}

PortState::~PortState() {
    close();
}

void PortState::setMessageSink(MessageSink sink) {
    sink_ = sink ? sink : writeToStandardError;
}

void PortState::show(const char* caption, const char* text, void* owner) {
    sink_.load()(caption, text, owner);
}

std::uint32_t PortState::setTimeOut(std::uint32_t milliseconds) {
    timeOut_ = milliseconds;
    return milliseconds;
}

int PortState::open(void* owner, int channel, const char* inName, const char* outName) {
    close(); // opening twice would leak the first pair of ports
    std::lock_guard ports(portsMutex_);
    channel_ = channel;
    try {
        // Looked up at each open, so that a service installed later (a test's) is the one used.
        midi::Backend& service = midi::service();
        // Keeps one client of the service for the listing and both opens; the ports hold it
        // afterwards, and it goes with them.
        const auto held = service.hold();
        const auto inputs = service.ports(midi::Direction::Input);
        const auto outputs = service.ports(midi::Direction::Output);
        const midi::Port* in = exactPort(inputs, inName);
        const midi::Port* out = exactPort(outputs, outName);
        if (!in || !out) {
            show(nullptr, text(StringId::NoDevices), owner);
            return 0;
        }
        std::string error;
        // Only SysEx is Wirebox's: a keyboard playing meanwhile must not fill the queue.
        auto input =
            midi::MidiInput::open(requestFor(kInputName, *in), error, service, {.sysExOnly = true});
        if (!input) {
            show(text(StringId::InputDriver), error.c_str(), owner);
            return 0;
        }
        auto output = midi::MidiOutput::open(requestFor(kOutputName, *out), error, service);
        if (!output) {
            show(text(StringId::OutputDriver), error.c_str(), owner);
            return 0; // the input closes as it goes
        }
        output_ = std::move(output);
        std::lock_guard lock(inputMutex_);
        input_ = std::move(input);
        return 1;
    } catch (const std::bad_alloc&) {
        show(nullptr, text(StringId::CannotAllocate), owner);
        return 0;
    }
}

int PortState::close() {
    std::lock_guard ports(portsMutex_);
    std::shared_ptr<midi::MidiInput> input;
    {
        std::lock_guard lock(inputMutex_);
        input = std::move(input_);
        parts_.clear();
    }
    if (input) input->close(); // a receive that waits gives up at once
    if (output_) {
        output_->close(std::chrono::milliseconds(timeOut_.load()));
        output_.reset();
    }
    return 1;
}

bool PortState::isInputOpen() const {
    std::lock_guard lock(inputMutex_);
    return input_ != nullptr;
}

bool PortState::nextPart(Bytes& part) {
    if (parts_.empty()) return false;
    part = std::move(parts_.front());
    parts_.pop_front();
    return true;
}

std::uint8_t* PortState::receive(std::uint32_t* length) {
    const std::chrono::milliseconds timeOut(timeOut_.load());
    std::shared_ptr<midi::MidiInput> input;
    Bytes message;
    {
        std::lock_guard lock(inputMutex_);
        if (!input_ || timeOut.count() == 0) return nullptr;
        if (nextPart(message)) return callersBlock(message, length);
        input = input_;
    }
    const auto deadline = Clock::now() + timeOut;
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        // A dead service ends the wait at once; the host hears of it as of any missing reply.
        if (input->next(message, std::max(left, std::chrono::milliseconds(0))) !=
            midi::MidiInput::Outcome::Message)
            return nullptr;
        if (!message.empty() && message[0] == kSysExStart) break; // notes and the like are not ours
    }
    if (message.size() > kLargestPart) {
        std::lock_guard lock(inputMutex_);
        if (input_ == input) // not closed meanwhile
            for (std::size_t at = kLargestPart; at < message.size(); at += kLargestPart)
                parts_.emplace_back(message.begin() + static_cast<std::ptrdiff_t>(at),
                                    message.begin() + static_cast<std::ptrdiff_t>(std::min(
                                                          message.size(), at + kLargestPart)));
        message.resize(kLargestPart);
    }
    return callersBlock(message, length);
}

int PortState::send(Bytes message, std::chrono::milliseconds ready,
                    std::chrono::milliseconds done) {
    if (!output_) return 0;
    return output_->send(std::move(message), ready, std::max(done, kLeastSendTime)) ? 1 : 0;
}

int PortState::transmit(const std::uint8_t* bytes, std::uint32_t length) {
    std::lock_guard ports(portsMutex_);
    if (!output_ || (!bytes && length > 0)) return 0;
    const std::chrono::milliseconds timeOut(timeOut_.load());
    Bytes message;
    try {
        message.assign(bytes, bytes + length);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    return send(std::move(message), timeOut, timeOut);
}

int PortState::programChange(int channel, int program) {
    std::lock_guard ports(portsMutex_);
    // The low byte of the channel with the program-change bits set: only 0..15 give a program
    // change, as callers have always relied on.
    Bytes message = {static_cast<std::uint8_t>((channel & 0xFF) | 0xC0),
                     static_cast<std::uint8_t>(program & 0x7F)};
    const std::chrono::milliseconds timeOut(timeOut_.load());
    return send(std::move(message), std::max(timeOut, kLeastSendTime), timeOut);
}

PortState& thePortState() {
    static PortState state;
    return state;
}

} // namespace wirebox
