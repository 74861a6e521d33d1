#include "morvex/VoiceFile.h"

#include "files/AtomicWrite.h"
#include "files/BoundedRead.h"
#include "morvex/Checksum.h"
#include "morvex/ParameterMap.h"
#include "morvex/SysExMessages.h"

#include <algorithm>
#include <cstdio>

namespace morvex {
namespace {

constexpr std::uint8_t kSysExStart = 0xF0;
constexpr std::uint8_t kSysExEnd = 0xF7;
constexpr std::uint8_t kYamahaId = 0x43;
constexpr std::uint8_t kVoiceFormat = 0x7E;
constexpr int kCheckSum = 88;
constexpr std::uint8_t kStoredSubstitute = 226; // how a file stores the byte 26
constexpr std::uint8_t kSubstituted = 26;
// A voice file has 592 bytes, and a ".mid" file that holds a dump among other events is a few
// kilobytes; a thousand times the dump is still far above both. Anything larger, or endless like a
// device, is not what the user meant to open.
constexpr std::size_t kLargestVoiceFile = 1024 * 1024;
// A file without a voice names this many of its messages; a bank of them needs no full list.
constexpr std::size_t kMessagesNamed = 4;

std::string hexByte(int value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02X", value);
    return text;
}

bool isStandardMidiFile(std::span<const std::uint8_t> bytes) {
    return bytes.size() >= 4 && std::equal(bytes.begin(), bytes.begin() + 4, "MThd");
}

// Length of the variable-length count after F0 in a Standard MIDI File (at most four bytes).
std::size_t variableLengthSize(std::span<const std::uint8_t> bytes, std::size_t at) {
    std::size_t n = 0;
    while (at + n < bytes.size() && n < 4) {
        if (!(bytes[at + n++] & 0x80)) break;
    }
    return n;
}

std::string voiceName(const VoiceDump& dump) {
    const auto first = dump.parameters.begin() + kVoiceNameOffset;
    std::string name(first, first + kVoiceNameLength);
    name.erase(std::find(name.begin(), name.end(), '\0'), name.end());
    name.erase(name.find_last_not_of(' ') + 1);
    name.erase(0, name.find_first_not_of(' '));
    return name;
}

// "an 8-byte": the article as the number is spoken (eight, eleven, eighteen, eighty, ...).
std::string sizeWithArticle(std::size_t size) {
    const std::string digits = std::to_string(size);
    const bool vowel = digits[0] == '8' || (digits.size() % 3 == 2 &&
                                            (digits.starts_with("11") || digits.starts_with("18")));
    std::string text = vowel ? "an " : "a ";
    text += digits;
    return text + "-byte";
}

// What a message is, briefly: "a 6-byte message (F0 7E 7F 06 ...)".
// The texts here are appended piece by piece: GCC 12 at -O3 warns (-Wrestrict) on a literal plus
// a temporary string.
std::string messageKind(std::span<const std::uint8_t> real) {
    if (startsLikeVoiceDump(real)) {
        std::string text = "a damaged voice dump (";
        text += voiceDumpProblem(real);
        return text + ")";
    }
    const bool ended = real.size() > 1 && real.back() == kSysExEnd;
    std::string text =
        sizeWithArticle(real.size()) + (ended ? " message (" : " message without F7 (");
    for (std::size_t i = 0; i < std::min<std::size_t>(real.size(), 4); ++i) {
        if (i) text += ' ';
        text += hexByte(real[i]);
    }
    return text + (real.size() > 4 ? " ...)" : ")");
}

std::string noVoiceProblem(const std::vector<std::vector<std::uint8_t>>& messages) {
    std::string text = "holds ";
    text += std::to_string(messages.size()) + " SysEx messages but no Morvex voice: ";
    for (std::size_t i = 0; i < std::min(messages.size(), kMessagesNamed); ++i) {
        if (i) text += ", ";
        text += messageKind(messages[i]);
    }
    if (messages.size() > kMessagesNamed) {
        text += ", and ";
        text += std::to_string(messages.size() - kMessagesNamed) + " more";
    }
    return text;
}

} // namespace

ParsedVoiceFile parseVoiceFile(std::span<const std::uint8_t> bytes) {
    ParsedVoiceFile result;
    const auto f0 = std::find(bytes.begin(), bytes.end(), kSysExStart);
    if (f0 == bytes.end()) {
        result.problem = "holds no SysEx data (no F0 byte)";
        return result;
    }
    std::size_t at = static_cast<std::size_t>(f0 - bytes.begin()) + 1;
    if (isStandardMidiFile(bytes) && at < bytes.size() && bytes[at] != kYamahaId)
        at += variableLengthSize(bytes, at);

    const std::size_t available = at < bytes.size() ? bytes.size() - at : 0;
    const std::size_t needed = kBytesNeededFromF0 - 1;
    if (available < needed) {
        result.problem = "is too short for a Morvex voice: " + std::to_string(available + 1) +
                         " bytes from the F0 on, " + std::to_string(kBytesNeededFromF0) + " needed";
        return result;
    }
    auto real = [](std::uint8_t b) { return b == kStoredSubstitute ? kSubstituted : b; };
    result.dump.header[0] = kSysExStart;
    std::transform(bytes.begin() + at, bytes.begin() + at + kDumpHeaderSize - 1,
                   result.dump.header.begin() + 1, real);
    at += kDumpHeaderSize - 1;
    std::transform(bytes.begin() + at, bytes.begin() + at + result.dump.parameters.size(),
                   result.dump.parameters.begin(), real);
    result.ok = true;
    return result;
}

VoiceFileScan scanVoiceFile(std::span<const std::uint8_t> bytes) {
    VoiceFileScan scan;
    const auto messages = splitSysExMessages(bytes);
    if (messages.size() <= 1 || isStandardMidiFile(bytes)) {
        const ParsedVoiceFile parsed = parseVoiceFile(bytes);
        if (parsed.ok)
            scan.voices.push_back({1, voiceName(parsed.dump), parsed.dump});
        else
            scan.problem = parsed.problem;
        return scan;
    }
    scan.messageCount = static_cast<int>(messages.size());
    std::vector<std::vector<std::uint8_t>> real; // as sent: the file form's 226 back to 26
    for (const auto message : messages) {
        real.emplace_back(message.begin(), message.end());
        std::replace(real.back().begin(), real.back().end(), kStoredSubstitute, kSubstituted);
        if (!voiceDumpProblem(real.back()).empty()) continue;
        const VoiceDump dump = parseVoiceFile(real.back()).dump;
        scan.voices.push_back({static_cast<int>(real.size()), voiceName(dump), dump});
    }
    if (scan.voices.empty()) scan.problem = noVoiceProblem(real);
    return scan;
}

LoadedVoiceFile LoadVoiceFile(MorvexState& state, const std::string& path,
                              const VoiceChooser& choose) {
    LoadedVoiceFile result;
    const files::ReadResult file = files::readFileBounded(path, kLargestVoiceFile);
    if (file.error) {
        result.problem = errorReport(*file.error);
        return result;
    }
    const VoiceFileScan scan = scanVoiceFile(file.bytes);
    if (scan.voices.empty()) {
        result.problem = errorReport("\"" + path + "\" " + scan.problem + ".");
        return result;
    }
    std::size_t chosen = 0;
    if (scan.voices.size() > 1 && choose) {
        const std::optional<int> pick = choose(scan.voices);
        if (!pick || *pick < 0 || static_cast<std::size_t>(*pick) >= scan.voices.size()) {
            result.cancelled = true;
            return result;
        }
        chosen = static_cast<std::size_t>(*pick);
    }
    const VoiceInFile& voice = scan.voices[chosen];
    takeVoiceDump(state, voice.dump);
    if (scan.messageCount > 1)
        result.note = "voice " + std::to_string(voice.position) + " of " +
                      std::to_string(scan.messageCount) + " messages in the file";
    return result;
}

Status LoadVoiceFile(MorvexState& state, const std::string& path) {
    return LoadVoiceFile(state, path, VoiceChooser()).problem;
}

void takeVoiceDump(MorvexState& state, const VoiceDump& dump) {
    state.dumpHeader = dump.header;
    std::copy(dump.parameters.begin(), dump.parameters.end(), state.voiceData.begin());
    state.elementSwitch.fill(1);
}

std::string voiceDumpProblem(std::span<const std::uint8_t> m) {
    if (m.size() != static_cast<std::size_t>(kDumpSize))
        return "a voice dump has 592 bytes, this one " + std::to_string(m.size());
    if (m[0] != kSysExStart || m[1] != kYamahaId) return "not a Yamaha SysEx message (F0 43)";
    if ((m[2] & 0xF0) != 0x00)
        return "sub-status " + hexByte(m[2] >> 4) + " is not a bulk dump (0)";
    if (m[3] != kVoiceFormat) return "format " + hexByte(m[3]) + " is not the voice format 7E";
    if (m.back() != kSysExEnd) return "does not end with F7";
    // The synthesizer's check: with every flag byte 0 or 1, parameters and check bytes sum to 88.
    int sum = 0;
    for (std::size_t i = kDumpHeaderSize; i < kDumpSize - 1; ++i) sum += m[i];
    if (sum % 128 != kCheckSum)
        return "check bytes do not fit: the sum is " + std::to_string(sum % 128) +
               " modulo 128, not 88";
    return {};
}

std::vector<std::uint8_t> dumpBytes(const MorvexState& state) {
    std::vector<std::uint8_t> bytes(state.dumpHeader.begin(), state.dumpHeader.end());
    bytes.insert(bytes.end(), state.voiceData.begin(), state.voiceData.end() - 1);
    bytes.push_back(kSysExEnd);
    return bytes;
}

std::vector<std::uint8_t> voiceFileBytes(const MorvexState& state) {
    std::vector<std::uint8_t> bytes(state.dumpHeader.begin(), state.dumpHeader.end());
    bytes.insert(bytes.end(), state.voiceData.begin(), state.voiceData.end());
    std::replace(bytes.begin(), bytes.end(), kSubstituted, kStoredSubstitute);
    return bytes;
}

Status SaveVoiceFile(MorvexState& state, const std::string& path) {
    UpdateChecksum(state.voiceData);
    state.voiceData[kVoiceDataSize - 1] = kSysExEnd;
    const std::vector<std::uint8_t> bytes = voiceFileBytes(state);

    if (files::FileError error = files::writeFileAtomically(path, bytes))
        return errorReport(*error);
    return std::nullopt;
}

} // namespace morvex
