#pragma once
// The process-wide pair of ports behind the exported calls: opening by product name on the MIDI
// service of the process, sending with the caller's time-out, and handing out received SysEx
// messages in arrival order, a long one in parts.

#include "midi/MidiInput.h"
#include "midi/MidiOutput.h"

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>

namespace wirebox {

// (caption or null, text, owner)
using MessageSink = void (*)(const char* caption, const char* text, void* owner);

class PortState {
public:
    static constexpr std::uint32_t kDefaultTimeOut = 5000; // ms
    static constexpr std::size_t kLargestPart = 32767;     // a received message comes in parts

    PortState();
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

private:
    void show(const char* caption, const char* text, void* owner);
    bool nextPart(midi::Bytes& part);
    int send(midi::Bytes message, std::chrono::milliseconds ready, std::chrono::milliseconds done);

    std::atomic<std::uint32_t> timeOut_{kDefaultTimeOut};
    std::atomic<int> channel_{0};
    std::atomic<MessageSink> sink_;

    std::mutex portsMutex_; // open, close and sends come one at a time
    std::shared_ptr<midi::MidiOutput> output_;

    // Apart from the ports' lock, so that a receive never waits for a send.
    mutable std::mutex inputMutex_;
    std::shared_ptr<midi::MidiInput> input_;
    std::deque<midi::Bytes> parts_; // the rest of a long message, not yet handed out
};

// The library's one instance, on the MIDI service of the process.
PortState& thePortState();

} // namespace wirebox
