#pragma once
// The process-wide pair of ports behind the exported calls: opening by product name, sending
// through a worker so that every wait keeps its time-out, and a bounded queue of received SysEx
// messages that a caller collects in arrival order.

#include "MidiSystem.h"
#include "OutputLine.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>

namespace wirebox {

// (caption or null, text, owner)
using MessageSink = void (*)(const char* caption, const char* text, void* owner);

class PortState {
public:
    static constexpr std::uint32_t kDefaultTimeOut = 5000;     // ms
    static constexpr std::size_t kLargestPart = 32767;         // a received message comes in parts
    static constexpr std::size_t kQueuedMessagesLimit = 256;   // messages not yet collected...
    static constexpr std::size_t kQueuedBytesLimit = 4u << 20; // ...and their bytes

    explicit PortState(std::shared_ptr<MidiSystem> system);
    ~PortState(); // closes what is open
    PortState(const PortState&) = delete;
    PortState& operator=(const PortState&) = delete;

    int open(void* owner, int channel, const char* inName, const char* outName);
    int close();
    int transmit(const std::uint8_t* bytes, std::uint32_t length);
    // A block of the caller's (free() it, or DiscardMidiMessage), or null.
    std::uint8_t* receive(std::uint32_t* length);
    int programChange(int channel, int program);

    std::uint32_t setTimeOut(std::uint32_t milliseconds);
    std::uint32_t timeOut() const { return timeOut_; }
    int channel() const { return channel_; }
    void setMessageSink(MessageSink sink);

    bool isInputOpen() const;
    std::size_t droppedMessages() const; // arrivals lost because the queue was full

private:
    void show(const char* caption, const char* text, void* owner);
    void onIncoming(const Bytes& message);
    void closeInput();

    std::shared_ptr<MidiSystem> system_;
    std::atomic<std::uint32_t> timeOut_{kDefaultTimeOut};
    std::atomic<int> channel_{0};
    std::atomic<MessageSink> sink_;

    std::mutex portsMutex_; // open, close and sends come one at a time
    std::unique_ptr<MidiInputPort> input_;
    std::shared_ptr<OutputLine> output_;

    mutable std::mutex queueMutex_;
    std::condition_variable arrived_;
    bool inputOpen_ = false;
    std::deque<Bytes> queue_;
    std::size_t queuedBytes_ = 0;
    std::size_t dropped_ = 0;
};

// The library's one instance, on RtMidi.
PortState& thePortState();

} // namespace wirebox
