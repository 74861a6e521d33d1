#pragma once
// A MIDI port as a value: the name the MIDI service lists it under, and the ways the suite finds
// one port among many.

#include <cstdint>
#include <string>
#include <vector>

namespace midi {

using Bytes = std::vector<std::uint8_t>;

// Which side of a connection a port is: an input port is one the suite reads from (another
// program's output), an output port one it sends to.
enum class Direction { Input, Output };

struct Port {
    // The product name: as listed, without the session numbers ALSA appends ("Synth:Synth MIDI 1
    // 128:0" is "Synth:Synth MIDI 1"). On JACK "client:port".
    std::string name;

    // The parts before and after the first ':' (the client is the whole name when there is none).
    std::string client() const;
    std::string port() const;

    bool operator==(const Port&) const = default;
};

std::string productName(const std::string& listedName);

// The names of `ports`, in order (index = the port's device number).
std::vector<std::string> namesOf(const std::vector<Port>& ports);

// A port the user named: an exact name first, else a part of one port's name compared without
// regard to case ("morvex" finds "Morvex Emulator In:MIDI In"). Several ports matching the part
// is ambiguous: `candidates` lists them and no port is found.
struct PortMatch {
    const Port* port = nullptr;
    std::vector<std::string> candidates; // filled when the part was ambiguous
};
PortMatch findPort(const std::vector<Port>& ports, const std::string& wanted);

// A port given on a command line: a number is its place in `ports` (as the programs' `ports`
// command numbers them), anything else a name as findPort takes it.
PortMatch findPortArgument(const std::vector<Port>& ports, const std::string& wanted);

// Why `wanted` found no port, in one line for the user: the candidates of an ambiguous part, or
// that no port has that number or name.
// The names a part matched, quoted and separated by commas: "A In", "B In".
std::string quotedCandidates(const PortMatch& match);

std::string noPortText(const std::string& wanted, const PortMatch& match);

// The index of the port named exactly `name`, or -1.
int indexOf(const std::vector<Port>& ports, const std::string& name);

} // namespace midi
