#include "MorvexSynth.h"

#include "files/AtomicWrite.h"
#include "morvex/Checksum.h"
#include "morvex/ReceiveVoice.h"
#include "morvex/VoiceFile.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>

namespace emulator {
namespace {

constexpr std::size_t kShortLength = 300; // where a short answer stops
constexpr std::size_t kFirstCheckByte = 16 + 572;
constexpr auto kSlowAnswer = std::chrono::seconds(12);

bool isDumpRequest(const Bytes& m, int device) {
    return m == morvex::dumpRequest(device);
}

std::string nameOf(const Bytes& dump) {
    return std::string(dump.begin() + 19, dump.begin() + 27);
}

} // namespace

MorvexSynth::MorvexSynth(Bytes voice, std::string saveDir, int device, Fault fault)
    : voice_(std::move(voice)), saveDir_(std::move(saveDir)), device_(device), fault_(fault) {}

std::string MorvexSynth::dumpProblem(const Bytes& m) {
    return morvex::voiceDumpProblem(m);
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

Reaction MorvexSynth::answer() const {
    Bytes dump = voice_;
    dump[2] = static_cast<std::uint8_t>(device_);
    std::string summary = "voice dump \"" + nameOf(dump) + "\"";
    std::vector<Outgoing> replies;
    switch (fault_) {
    case Fault::Silent:
        return {"dump request, not answered (fault: silent)", {}};
    case Fault::NoF7:
        dump.pop_back();
        summary += " without its F7";
        break;
    case Fault::Short:
        dump.resize(kShortLength);
        dump.push_back(0xF7);
        summary += " cut after 300 bytes";
        break;
    case Fault::BadCheck:
        dump[kFirstCheckByte + 1] =
            static_cast<std::uint8_t>((dump[kFirstCheckByte + 1] + 1) & 0x7F);
        summary += " with a wrong check byte";
        break;
    case Fault::WrongTypeFirst:
        replies.push_back(
            {{0xF0, 0x43, static_cast<std::uint8_t>(device_), 0x7A, 0x00, 0x01, 0x00, 0xF7},
             "a bulk dump of another format first"});
        break;
    case Fault::Garbage:
        replies.push_back({{0x90, 60, 100}, "note on"});
        replies.push_back({{0xF0, 0x41, 0x10, 0x42, 0x12, 0xF7}, "foreign SysEx"});
        break;
    case Fault::Slow:
    case Fault::SilentKit: // refused on the command line: the Morvex has no kits
    case Fault::None:
        break;
    }
    replies.push_back({std::move(dump), summary,
                       fault_ == Fault::Slow ? kSlowAnswer : std::chrono::milliseconds(0)});
    return {"dump request", std::move(replies)};
}

Reaction MorvexSynth::handle(const Bytes& m) {
    if (isDumpRequest(m, device_)) return answer();
    if (m.size() > 2 && isDumpRequest(m, m[2] & 0x0F))
        return {"ignored: a dump request for device " + std::to_string(m[2] & 0x0F), {}};
    if (m.size() > 4 && m[0] == 0xF0 && m[1] == 0x43 && m[3] == 0x7E) {
        if ((m[2] & 0x0F) != device_)
            return {"ignored: a voice dump for device " + std::to_string(m[2] & 0x0F), {}};
        const std::string problem = dumpProblem(m);
        if (!problem.empty()) return {"voice dump rejected: " + problem, {}};
        voice_ = m;
        return {"voice dump \"" + nameOf(m) + "\" accepted" + save(m), {}};
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
