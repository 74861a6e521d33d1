#include "PortState.h"

#include "StringTable.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

namespace wirebox {
namespace {

constexpr std::uint8_t kSysExStart = 0xF0;
// A send that finds the output ready is given at least this long to go out, so that a time-out
// of 0 still sends once, as it always has.
constexpr std::chrono::milliseconds kLeastSendTime{100};

void writeToStandardError(const char* caption, const char* text, void*) {
    if (caption)
        std::fprintf(stderr, "%s: %s\n", caption, text);
    else
        std::fprintf(stderr, "%s\n", text);
}

int findPort(const std::vector<std::string>& names, const char* wanted) {
    if (!wanted) return -1;
    const auto match = std::find(names.begin(), names.end(), wanted); // exact, case-sensitive
    return match == names.end() ? -1 : static_cast<int>(match - names.begin());
}

} // namespace

PortState::PortState(std::shared_ptr<MidiSystem> system)
    : system_(std::move(system)), sink_(writeToStandardError) {}

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
    const int in = findPort(system_->inputNames(), inName);
    const int out = findPort(system_->outputNames(), outName);
    channel_ = channel;
    if (in < 0 || out < 0) {
        show(nullptr, text(StringId::NoDevices), owner);
        return 0;
    }
    try {
        std::string error;
        {
            std::lock_guard queue(queueMutex_);
            inputOpen_ = true;
        }
        input_ = system_->openInput(
            in, [this](const Bytes& message) { onIncoming(message); }, error);
        if (!input_) {
            closeInput();
            show(text(StringId::InputDriver), error.c_str(), owner);
            return 0;
        }
        auto port = system_->openOutput(out, error);
        if (!port) {
            closeInput();
            show(text(StringId::OutputDriver), error.c_str(), owner);
            return 0;
        }
        output_ = OutputLine::start(std::move(port), system_->largestPiece());
        return 1;
    } catch (const std::bad_alloc&) {
        closeInput();
        show(nullptr, text(StringId::CannotAllocate), owner);
        return 0;
    }
}

void PortState::closeInput() {
    // The port goes first, without the queue's lock: closing waits for a callback in progress,
    // and that callback may be waiting for the lock.
    input_.reset();
    std::lock_guard queue(queueMutex_);
    inputOpen_ = false;
    queue_.clear();
    queuedBytes_ = 0;
    arrived_.notify_all(); // a receive that waits gives up at once
}

int PortState::close() {
    std::lock_guard ports(portsMutex_);
    closeInput();
    if (output_) {
        output_->stop(std::chrono::milliseconds(timeOut_.load()));
        output_.reset();
    }
    return 1;
}

bool PortState::isInputOpen() const {
    std::lock_guard queue(queueMutex_);
    return inputOpen_;
}

std::size_t PortState::droppedMessages() const {
    std::lock_guard queue(queueMutex_);
    return dropped_;
}

void PortState::onIncoming(const Bytes& message) {
    if (message.empty() || message[0] != kSysExStart) return; // notes and other short messages
    std::lock_guard queue(queueMutex_);
    if (!inputOpen_) return;
    const std::size_t parts = (message.size() + kLargestPart - 1) / kLargestPart;
    if (queue_.size() + parts > kQueuedMessagesLimit ||
        queuedBytes_ + message.size() > kQueuedBytesLimit) {
        ++dropped_;
        return;
    }
    for (std::size_t at = 0; at < message.size(); at += kLargestPart) {
        const std::size_t end = std::min(message.size(), at + kLargestPart);
        queue_.emplace_back(message.begin() + static_cast<std::ptrdiff_t>(at),
                            message.begin() + static_cast<std::ptrdiff_t>(end));
    }
    queuedBytes_ += message.size();
    arrived_.notify_all();
}

std::uint8_t* PortState::receive(std::uint32_t* length) {
    const std::chrono::milliseconds timeOut(timeOut_.load());
    std::unique_lock queue(queueMutex_);
    if (!inputOpen_ || timeOut.count() == 0) return nullptr;
    if (!arrived_.wait_for(queue, timeOut, [&] { return !queue_.empty() || !inputOpen_; }) ||
        queue_.empty())
        return nullptr;
    Bytes message = std::move(queue_.front());
    queue_.pop_front();
    queuedBytes_ -= message.size();
    queue.unlock();

    if (length) *length = static_cast<std::uint32_t>(message.size());
    auto* block = static_cast<std::uint8_t*>(std::malloc(message.size()));
    if (block) std::memcpy(block, message.data(), message.size());
    return block;
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
    return output_->send(std::move(message), timeOut, std::max(timeOut, kLeastSendTime)) ? 1 : 0;
}

int PortState::programChange(int channel, int program) {
    std::lock_guard ports(portsMutex_);
    if (!output_) return 0;
    // The low byte of the channel with the program-change bits set: only 0..15 give a program
    // change, as callers have always relied on.
    Bytes message = {static_cast<std::uint8_t>((channel & 0xFF) | 0xC0),
                     static_cast<std::uint8_t>(program & 0x7F)};
    const std::chrono::milliseconds timeOut(timeOut_.load());
    return output_->send(std::move(message), std::max(timeOut, kLeastSendTime),
                         std::max(timeOut, kLeastSendTime))
               ? 1
               : 0;
}

PortState& thePortState() {
    static PortState state(makeRtMidiSystem());
    return state;
}

} // namespace wirebox
