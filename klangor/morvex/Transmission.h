#pragma once
// Sending to the synthesizer: each send opens the MIDI output, sends one SysEx message and closes
// the output again; nothing stays open between sends.

#include "morvex/MorvexState.h"
#include "morvex/Report.h"
#include "morvex/VoiceCodec.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

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

// The device number of the MIDI output with this product name (compared exactly), or -1.
int findMidiOutput(const std::string& productName);

// Sends one message of the given kind to MIDI output `device`. A device that does not exist, or a
// MIDI service that cannot be reached, sends nothing and says so in the result. The editor's
// windows show nothing in that case; the command-line tool reports it.
Status TransmitSysEx(const MorvexState& state, SysExKind kind, int device);

// EncodeVoice (reporting each byte above 127), UpdateChecksum, then the voice dump to `device`.
// All three steps always run: range errors do not stop the send.
Status SendVoice(MorvexState& state, int device, const RangeReporter& report = {});

} // namespace morvex
