#pragma once
// Sending to the synthesizer: each send opens the MIDI output, sends one SysEx message and closes
// the output again; nothing stays open between sends.

#include "morvex/MorvexState.h"
#include "morvex/Report.h"
#include "morvex/VoiceCodec.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace midi {
class Pacer;
struct Port;
struct PortMatch;
} // namespace midi

namespace morvex {

enum class SysExKind {
    VoiceDump,   // DumpHeader, VoiceData 0..574, F7: 592 bytes
    DumpRequest, // asks the synthesizer for its voice: 15 bytes, always device number 0
};

inline constexpr std::array<std::uint8_t, 15> kDumpRequest = {
    0xF0, 0x43, 0x20, 0x7E, 'P', 'H', ' ', ' ', '2', '2', '0', '3', 'A', 'E', 0xF7};

std::vector<std::uint8_t> sysExMessage(const MorvexState& state, SysExKind kind);

// The product names of the MIDI outputs; the index of a name is its device number.
std::vector<std::string> midiOutputNames();

// The device number of the MIDI output with this product name (an exact name, else a unique part
// of one name in any case), or -1.
int findMidiOutput(const std::string& productName);

// Where a send goes: a port name, looked up when sending because device numbers change as other
// programs come and go; else a device number.
struct Destination {
    int device = 0;
    std::string portName;
};

// "; it could be any of: "A", "B"" when the name the user gave was a part of several ports' names,
// else nothing: what a message about a port not found adds.
std::string candidatesText(const midi::PortMatch& match);

// The output port `to` names among `ports`, or null with `problem` saying why there is none.
const midi::Port* findDestination(const std::vector<midi::Port>& ports, const Destination& to,
                                  std::string& problem);

struct SendOptions {
    // The longest a send may take once the output is open; a hung MIDI service fails it then.
    std::chrono::milliseconds timeout{5000};
    // Spaces this send from the one before it (old instruments need a pause after a dump).
    midi::Pacer* pacer = nullptr;
    // Told the port's name once it is open, just before the bytes go.
    std::function<void(const std::string& port)> opened;
    // Told when the destination is not among the ports listed now (the user may pick another).
    std::function<void()> missing;
};

// Sends one message. A destination that does not exist, a MIDI service that cannot be reached or
// that stops, and a send that does not finish in time all send nothing for certain and say so in
// the result; success means the whole message left while the connection was there.
Status sendMessage(const std::vector<std::uint8_t>& message, const Destination& to,
                   const SendOptions& options = {});

// Sends one message of the given kind to MIDI output `device`. The editor's windows show a
// failure as a status note; the command-line tool reports it.
Status TransmitSysEx(const MorvexState& state, SysExKind kind, int device,
                     const SendOptions& options = {});

// EncodeVoice (reporting each byte above 127), UpdateChecksum, then the voice dump to `device`.
// All three steps always run: range errors do not stop the send.
Status SendVoice(MorvexState& state, int device, const RangeReporter& report = {},
                 const SendOptions& options = {});

} // namespace morvex
