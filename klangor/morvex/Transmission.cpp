#include "morvex/Transmission.h"

#include "midi/MidiApi.h"
#include "morvex/Checksum.h"
#include "morvex/VoiceFile.h"

namespace morvex {
namespace {

Report sendProblem(std::string text) {
    return Report{Report::Icon::Warning, "Fehler", std::move(text)};
}

} // namespace

std::vector<std::uint8_t> sysExMessage(const MorvexState& state, SysExKind kind) {
    if (kind == SysExKind::DumpRequest) return {kDumpRequest.begin(), kDumpRequest.end()};
    return dumpBytes(state);
}

std::vector<std::string> midiOutputNames() {
    auto out = midi::makeOutputClient("Klangor");
    return out ? midi::portNames(*out) : std::vector<std::string>{};
}

int findMidiOutput(const std::string& productName) {
    const std::vector<std::string> names = midiOutputNames();
    for (std::size_t i = 0; i < names.size(); ++i)
        if (names[i] == productName) return static_cast<int>(i);
    return -1;
}

Status TransmitSysEx(const MorvexState& state, SysExKind kind, int device) {
    auto out = midi::makeOutputClient("Klangor");
    if (!out) return sendProblem("No MIDI service is available; nothing was sent.");
    const unsigned count = out->getPortCount();
    if (device < 0 || static_cast<unsigned>(device) >= count) {
        return sendProblem("There is no MIDI output " + std::to_string(device) + " (" +
                           std::to_string(count) + " found); nothing was sent.");
    }

    std::string failure;
    out->setErrorCallback([](RtMidiError::Type, const std::string& text,
                             void* sink) { *static_cast<std::string*>(sink) = text; },
                          &failure);
    out->openPort(static_cast<unsigned>(device), "Klangor out");
    if (!out->isPortOpen())
        return sendProblem("Cannot open MIDI output " + std::to_string(device) + ": " + failure);
    midi::waitUntilConnectionIsLive(out->getCurrentApi());

    const std::vector<std::uint8_t> message = sysExMessage(state, kind);
    out->sendMessage(message.data(), message.size());
    midi::closeOutput(out);
    if (!failure.empty())
        return sendProblem("Sending to MIDI output " + std::to_string(device) +
                           " failed: " + failure);
    return std::nullopt;
}

Status SendVoice(MorvexState& state, int device, const RangeReporter& report) {
    EncodeVoice(state, report);
    UpdateChecksum(state.voiceData);
    return TransmitSysEx(state, SysExKind::VoiceDump, device);
}

} // namespace morvex
