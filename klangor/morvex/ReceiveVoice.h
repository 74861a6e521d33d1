#pragma once
// Fetching the voice that is in the synthesizer: the dump request goes out, then one voice dump is
// awaited on a MIDI input. Everything else that arrives meanwhile is skipped; the voice is taken
// only when a whole, valid dump came.

#include "midi/Port.h"
#include "morvex/Transmission.h"
#include "morvex/VoiceFile.h"

#include <atomic>
#include <chrono>
#include <string>
#include <vector>

namespace morvex {

inline constexpr int kHighestDeviceCode = 15; // device numbers as a request carries them: 0..15

struct ReceiveOptions {
    Destination to; // the synthesizer's MIDI input, where the request goes
    // The input the dump comes back on: a name or a unique part of one; empty: answeringInput().
    std::string inputName;
    int deviceNumber = 0; // the synthesizer's own device number, 0..15
    std::chrono::milliseconds timeout{5000};
    const std::atomic<bool>* cancel = nullptr; // set from another thread to give up at once
};

struct ReceivedVoice {
    // NoPort: the output or input named is not among the ports listed now.
    enum class Outcome {
        Received,
        NotSent,
        NoPort,
        NoInput,
        TimedOut,
        Damaged,
        ServiceStopped,
        Cancelled
    };
    Outcome outcome = Outcome::TimedOut;
    VoiceDump dump;   // when Received
    std::string text; // for the user, when not Received
    explicit operator bool() const { return outcome == Outcome::Received; }
};

// The dump request with the device number in it (byte 2 is 20h OR the number).
std::vector<std::uint8_t> dumpRequest(int deviceNumber);

// Sends the dump request and waits for the answer. Holds the MIDI service across the exchange.
ReceivedVoice ReceiveVoice(const ReceiveOptions& options);

// The input a synthesizer on `outputName` most likely answers on: the input of the same client
// named the way the emulator names its ports ("X In:MIDI In" answers on "X Out:MIDI Out"), else the
// first input; empty when there is none.
std::string answeringInput(const std::vector<midi::Port>& inputs, const std::string& outputName);

// "0.3 s", "5 s": a time-out as the user reads it.
std::string secondsText(std::chrono::milliseconds time);

} // namespace morvex
