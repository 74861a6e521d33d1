#pragma once
// Voice files: one voice bulk dump (592 bytes), with every byte 26 stored as 226. ".mid" files that
// hold such a dump are read too.

#include "morvex/MorvexState.h"
#include "morvex/Report.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace morvex {

inline constexpr int kBytesNeededFromF0 = kDumpHeaderSize + 572; // 588: header and parameters

// What a voice file holds: the header and VoiceData 0..571.
struct VoiceDump {
    DumpHeaderBytes header{};
    std::array<std::uint8_t, 572> parameters{};
};

// Finds the dump in a file's bytes. Everything before the first F0 is skipped. In a Standard MIDI
// File a SysEx event stores a length after the F0; it is skipped when the byte after the F0 is not
// the manufacturer ID 43h. Fails with a message for the user when there is no F0 or too little
// after it.
struct ParsedVoiceFile {
    bool ok = false;
    VoiceDump dump;
    std::string problem; // why not, when !ok
};
ParsedVoiceFile parseVoiceFile(std::span<const std::uint8_t> bytes);

// Why `message` is not a good voice dump as it comes over MIDI (592 bytes, F0 43 0n 7E, closing F7,
// check bytes that make the sum 88), or empty when it is one.
std::string voiceDumpProblem(std::span<const std::uint8_t> message);

// Makes `dump` the voice: DumpHeader, VoiceData 0..571, all four elements on. Does not decode.
void takeVoiceDump(MorvexState& state, const VoiceDump& dump);

// Reads DumpHeader and VoiceData 0..571 from path and switches all four elements on. The file is
// read and checked whole first: on any error nothing in state changes. A file larger than 1 MiB,
// or an endless one, is refused. Does not decode.
Status LoadVoiceFile(MorvexState& state, const std::string& path);

// UpdateChecksum, VoiceData[575] = F7, then writes the 592-byte dump. The file is replaced
// atomically: after a failed write any earlier file is untouched. Does not encode.
Status SaveVoiceFile(MorvexState& state, const std::string& path);

// The 592 dump bytes as they are sent (26 stays 26); the file form is voiceFileBytes().
std::vector<std::uint8_t> dumpBytes(const MorvexState& state);
std::vector<std::uint8_t> voiceFileBytes(const MorvexState& state);

} // namespace morvex
