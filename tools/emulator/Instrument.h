#pragma once
// An emulated instrument: given each message that arrives, it says what to send back.

#include <chrono>
#include <cstdint>
#include <string>
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

class Instrument {
public:
    virtual ~Instrument() = default;
    virtual Reaction handle(const Bytes& message) = 0;
};

} // namespace emulator
