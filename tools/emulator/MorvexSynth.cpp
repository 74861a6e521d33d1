#include "MorvexSynth.h"

#include "files/AtomicWrite.h"
#include "morvex/Checksum.h"
#include "morvex/Transmission.h"
#include "morvex/VoiceFile.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace emulator {
namespace {

constexpr std::size_t kDumpLength = 592;
constexpr std::size_t kHeaderLength = 16;
constexpr std::size_t kCheckedLength = 575; // the parameters and the three check bytes

bool isDumpRequest(const Bytes& m) {
    const auto& request = morvex::kDumpRequest;
    if (m.size() != request.size() || (m[2] & 0xF0) != 0x20) return false;
    for (std::size_t i = 0; i < m.size(); ++i)
        if (i != 2 && m[i] != request[i]) return false;
    return true;
}

std::string hexByte(int value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02X", value);
    return text;
}

} // namespace

MorvexSynth::MorvexSynth(Bytes voice, std::string saveDir)
    : voice_(std::move(voice)), saveDir_(std::move(saveDir)) {}

std::string MorvexSynth::dumpProblem(const Bytes& m) {
    if (m.size() != kDumpLength)
        return "a voice dump has 592 bytes, this one " + std::to_string(m.size());
    if (m[0] != 0xF0 || m[1] != 0x43) return "not a Yamaha SysEx message (F0 43)";
    if ((m[2] & 0xF0) != 0x00)
        return "sub-status " + hexByte(m[2] >> 4) + " is not a bulk dump (0)";
    if (m[3] != 0x7E) return "format " + hexByte(m[3]) + " is not the voice format 7E";
    if (m.back() != 0xF7) return "does not end with F7";
    // The synthesizer's check: with every flag byte 0 or 1, parameters and check bytes sum to 88.
    int sum = 0;
    for (std::size_t i = kHeaderLength; i < kHeaderLength + kCheckedLength; ++i) sum += m[i];
    if (sum % 128 != 88)
        return "check bytes do not fit: the sum is " + std::to_string(sum % 128) +
               " modulo 128, not 88";
    return {};
}

std::string MorvexSynth::save(const Bytes& dump) {
    if (saveDir_.empty()) return {};
    char name[32];
    std::snprintf(name, sizeof name, "voice-%03d.syx", ++saved_);
    const std::string path = (std::filesystem::path(saveDir_) / name).string();
    Bytes file = dump;
    std::replace(file.begin(), file.end(), std::uint8_t{26}, std::uint8_t{226});
    if (files::FileError error = files::writeFileAtomically(path, file)) return "; " + *error;
    return "; saved as " + path;
}

Reaction MorvexSynth::handle(const Bytes& m) {
    if (isDumpRequest(m))
        return {"dump request",
                {{voice_,
                  "voice dump \"" + std::string(voice_.begin() + 19, voice_.begin() + 27) + "\""}}};
    if (m.size() > 4 && m[0] == 0xF0 && m[1] == 0x43 && m[3] == 0x7E) {
        const std::string problem = dumpProblem(m);
        if (!problem.empty()) return {"voice dump rejected: " + problem, {}};
        voice_ = m;
        return {"voice dump \"" + std::string(m.begin() + 19, m.begin() + 27) + "\" accepted" +
                    save(m),
                {}};
    }
    return {"ignored", {}};
}

bool loadVoiceDump(const std::string& path, Bytes& dump, std::string& error) {
    morvex::MorvexState state;
    if (morvex::Status problem = morvex::LoadVoiceFile(state, path)) {
        error = problem->text;
        return false;
    }
    morvex::UpdateChecksum(state.voiceData);
    dump = morvex::dumpBytes(state);
    return true;
}

} // namespace emulator
