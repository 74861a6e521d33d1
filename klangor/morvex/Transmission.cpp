#include "morvex/Transmission.h"

#include "midi/Backend.h"
#include "midi/MidiOutput.h"
#include "midi/Pacer.h"
#include "morvex/Checksum.h"
#include "morvex/VoiceFile.h"

namespace morvex {
namespace {

Report sendProblem(std::string text) {
    return Report{Report::Icon::Warning, "Fehler", std::move(text)};
}

} // namespace

std::string candidatesText(const midi::PortMatch& match) {
    if (match.candidates.empty()) return {};
    return "; it could be any of: " + midi::quotedCandidates(match);
}

const midi::Port* findDestination(const std::vector<midi::Port>& ports, const Destination& to,
                                  std::string& problem) {
    if (!to.portName.empty()) {
        const midi::PortMatch match = midi::findPort(ports, to.portName);
        if (!match.port)
            problem = "No MIDI output \"" + to.portName + "\"" + candidatesText(match) +
                      "; nothing was sent.";
        return match.port;
    }
    if (to.device < 0 || static_cast<std::size_t>(to.device) >= ports.size()) {
        problem = "There is no MIDI output " + std::to_string(to.device) + " (" +
                  std::to_string(ports.size()) + " found); nothing was sent.";
        return nullptr;
    }
    return &ports[static_cast<std::size_t>(to.device)];
}

std::vector<std::uint8_t> sysExMessage(const MorvexState& state, SysExKind kind) {
    if (kind == SysExKind::DumpRequest) return {kDumpRequest.begin(), kDumpRequest.end()};
    return dumpBytes(state);
}

std::vector<std::string> midiOutputNames() {
    return midi::namesOf(midi::service().ports(midi::Direction::Output));
}

int findMidiOutput(const std::string& productName) {
    const std::vector<midi::Port> ports = midi::service().ports(midi::Direction::Output);
    const midi::PortMatch match = midi::findPort(ports, productName);
    return match.port ? static_cast<int>(match.port - ports.data()) : -1;
}

Status sendMessage(const std::vector<std::uint8_t>& message, const Destination& to,
                   const SendOptions& options) {
    midi::Backend& service = midi::service();
    // One helper for the listing, the open and the send, instead of one for each.
    const std::shared_ptr<void> held = service.hold();
    const std::vector<midi::Port> ports = service.ports(midi::Direction::Output);
    if (const std::string problem = service.problem(); !problem.empty())
        return sendProblem("No MIDI service is available; nothing was sent. " + problem);
    std::string problem;
    const midi::Port* port = findDestination(ports, to, problem);
    if (!port) {
        if (options.missing) options.missing();
        return sendProblem(problem);
    }
    const std::string named = "MIDI output " + (to.portName.empty() ? std::to_string(to.device)
                                                                    : "\"" + port->name + "\"");

    if (options.pacer) options.pacer->beginMessage(); // before the open: no port is held idle
    std::string error;
    const auto output = midi::MidiOutput::open({"Klangor", "out", *port, false}, error, service);
    if (!output) return sendProblem("Cannot open " + named + ": " + error);
    if (options.opened) options.opened(port->name);
    const auto start = midi::Pacer::Clock::now();
    const midi::MidiOutput::Result result = output->send(message, options.timeout);
    // A worker stuck in a hung service is left behind rather than waited for.
    output->close(std::chrono::milliseconds(0));
    if (!result) return sendProblem("Sending to " + named + " failed: " + result.text() + ".");
    if (options.pacer) options.pacer->endMessage(start, message.size());
    return std::nullopt;
}

Status TransmitSysEx(const MorvexState& state, SysExKind kind, int device,
                     const SendOptions& options) {
    return sendMessage(sysExMessage(state, kind), Destination{device, {}}, options);
}

Status SendVoice(MorvexState& state, int device, const RangeReporter& report,
                 const SendOptions& options) {
    EncodeVoice(state, report);
    UpdateChecksum(state.voiceData);
    return TransmitSysEx(state, SysExKind::VoiceDump, device, options);
}

} // namespace morvex
