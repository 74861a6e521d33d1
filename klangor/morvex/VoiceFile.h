#pragma once
// Voice files: one voice bulk dump (592 bytes), with every byte 26 stored as 226. ".mid" files that
// hold such a dump are read too, and files of several SysEx messages, such as other tools capture.

#include "morvex/MorvexState.h"
#include "morvex/Report.h"

#include <cstdint>
#include <functional>
#include <optional>
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

// One whole, valid voice dump among a file's SysEx messages.
struct VoiceInFile {
    int position = 0; // which message of the file it is, counted from 1
    std::string name; // the voice name, trimmed
    VoiceDump dump;
};

// The voices a file holds. A file of at most one SysEx message, and a ".mid" file, is read as
// parseVoiceFile reads it. In a file of several messages each one that is a whole, valid voice dump
// (voiceDumpProblem, the file form's 226 read as 26) is a voice; when none is, the problem names
// what the messages are.
struct VoiceFileScan {
    std::vector<VoiceInFile> voices; // in file order
    int messageCount = 1;            // 1 also for a file read as one dump
    std::string problem;             // why there is no voice, when voices is empty
};
VoiceFileScan scanVoiceFile(std::span<const std::uint8_t> bytes);

// Which voice to take from a file of several: an index into `voices`, or none to take none.
using VoiceChooser = std::function<std::optional<int>(const std::vector<VoiceInFile>& voices)>;

struct LoadedVoiceFile {
    Status problem;         // the file was refused
    bool cancelled = false; // the chooser took none: nothing to report
    std::string note; // from a file of several messages, which: "voice 2 of 5 messages in the file"
    explicit operator bool() const { return !problem && !cancelled; }
};

// Why `message` is not a good voice dump as it comes over MIDI (592 bytes, F0 43 0n 7E, closing F7,
// check bytes that make the sum 88), or empty when it is one.
std::string voiceDumpProblem(std::span<const std::uint8_t> message);

// Makes `dump` the voice: DumpHeader, VoiceData 0..571, all four elements on. Does not decode.
void takeVoiceDump(MorvexState& state, const VoiceDump& dump);

// Reads DumpHeader and VoiceData 0..571 from path and switches all four elements on. The file is
// read and checked whole first: on any error nothing in state changes. A file larger than 1 MiB,
// or an endless one, is refused. Of several voices (scanVoiceFile) it takes the first. Does not
// decode.
Status LoadVoiceFile(MorvexState& state, const std::string& path);
// The same, asking `choose` when the file holds several voices; when it takes none, nothing in
// state changes either.
LoadedVoiceFile LoadVoiceFile(MorvexState& state, const std::string& path,
                              const VoiceChooser& choose);

// UpdateChecksum, VoiceData[575] = F7, then writes the 592-byte dump. The file is replaced
// atomically: after a failed write any earlier file is untouched. Does not encode.
Status SaveVoiceFile(MorvexState& state, const std::string& path);

// The 592 dump bytes as they are sent (26 stays 26); the file form is voiceFileBytes().
std::vector<std::uint8_t> dumpBytes(const MorvexState& state);
std::vector<std::uint8_t> voiceFileBytes(const MorvexState& state);

} // namespace morvex
