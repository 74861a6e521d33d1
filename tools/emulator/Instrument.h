#pragma once
// An emulated instrument: given each message that arrives, it says what to send back.

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace emulator {

using Bytes = std::vector<std::uint8_t>;

struct Outgoing {
    Bytes bytes;
    std::string summary;                // one line for the log: what this message is
    std::chrono::milliseconds delay{0}; // how long the instrument takes before it answers
};

struct Reaction {
    std::string summary; // what the incoming message was, and what the instrument made of it
    std::vector<Outgoing> replies;
};

// How an instrument misbehaves when asked to (--fault), so that each failure can be tried.
enum class Fault {
    None,
    Silent,         // never answers
    NoF7,           // the reply lacks its closing F7
    Short,          // the reply stops early (a kit before its entries, a voice after 300 bytes)
    WrongTypeFirst, // a reply of another type comes before the right one
    Garbage,        // short messages and foreign SysEx come before the reply
    Slow,           // answers after 12 seconds
    BadCheck,       // a voice whose check bytes do not fit (the Morvex only)
    SilentKit,      // one kit, Internal 12, is never answered; all else is (the Pulvex only)
};

// The fault named on the command line ("silent", "no-f7", ...); false for an unknown name.
inline bool parseFault(std::string_view name, Fault& fault) {
    static constexpr std::pair<std::string_view, Fault> kFaults[] = {
        {"none", Fault::None},
        {"silent", Fault::Silent},
        {"no-f7", Fault::NoF7},
        {"short", Fault::Short},
        {"wrong-type-first", Fault::WrongTypeFirst},
        {"garbage", Fault::Garbage},
        {"slow", Fault::Slow},
        {"bad-check", Fault::BadCheck},
        {"silent-kit", Fault::SilentKit}};
    for (const auto& [text, value] : kFaults)
        if (text == name) {
            fault = value;
            return true;
        }
    return false;
}

class Instrument {
public:
    virtual ~Instrument() = default;
    virtual Reaction handle(const Bytes& message) = 0;
};

} // namespace emulator
