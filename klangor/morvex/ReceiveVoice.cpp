#include "morvex/ReceiveVoice.h"

#include "midi/Backend.h"
#include "midi/MidiInput.h"

#include <algorithm>
#include <cstdio>

namespace morvex {
namespace {

using Clock = std::chrono::steady_clock;
// How often a wait looks at the cancel flag.
constexpr std::chrono::milliseconds kCancelPoll{20};

// A voice dump as its first four bytes say (F0 43 0n 7E), whatever its length or check bytes.
bool looksLikeVoiceDump(const midi::Bytes& m, int deviceNumber) {
    return m.size() >= 4 && m[0] == 0xF0 && m[1] == 0x43 && m[2] == deviceNumber && m[3] == 0x7E;
}

ReceivedVoice failure(ReceivedVoice::Outcome outcome, std::string text) {
    ReceivedVoice result;
    result.outcome = outcome;
    result.text = std::move(text);
    return result;
}

const midi::Port* findInput(const std::vector<midi::Port>& inputs, const std::string& wanted,
                            std::string& problem) {
    if (wanted.empty()) {
        problem = "There is no MIDI input to receive on.";
        return nullptr;
    }
    const midi::PortMatch match = midi::findPort(inputs, wanted);
    if (!match.port) problem = "No MIDI input \"" + wanted + "\"" + candidatesText(match) + ".";
    return match.port;
}

} // namespace

std::vector<std::uint8_t> dumpRequest(int deviceNumber) {
    std::vector<std::uint8_t> request(kDumpRequest.begin(), kDumpRequest.end());
    request[2] = static_cast<std::uint8_t>(0x20 | (deviceNumber & 0x0F));
    return request;
}

std::string secondsText(std::chrono::milliseconds time) {
    const long long ms = time.count();
    if (ms % 1000 == 0) return std::to_string(ms / 1000) + " s";
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", static_cast<double>(ms) / 1000.0);
    return text;
}

std::string answeringInput(const std::vector<midi::Port>& inputs, const std::string& outputName) {
    if (inputs.empty()) return {};
    const midi::Port output{outputName};
    std::string client = output.client();
    std::string port = output.port();
    const auto swap = [](std::string& text, const std::string& from, const std::string& to) {
        const std::size_t at = text.rfind(from);
        if (at == std::string::npos) return false;
        text.replace(at, from.size(), to);
        return true;
    };
    if (swap(client, " In", " Out") && swap(port, "In", "Out")) {
        const std::string answering = client + ":" + port;
        if (midi::indexOf(inputs, answering) >= 0) return answering;
    }
    return inputs.front().name;
}

ReceivedVoice ReceiveVoice(const ReceiveOptions& options) {
    using Outcome = ReceivedVoice::Outcome;
    midi::Backend& service = midi::service();
    const std::shared_ptr<void> held = service.hold();

    // The input opens before the request goes, so that a quick answer is not missed.
    const std::vector<midi::Port> inputs = service.ports(midi::Direction::Input);
    if (const std::string problem = service.problem(); !problem.empty())
        return failure(Outcome::NoInput, "No MIDI service is available. " + problem);
    std::string problem;
    std::string inputName = options.inputName;
    if (inputName.empty()) {
        const std::vector<midi::Port> outputs = service.ports(midi::Direction::Output);
        const midi::Port* to = findDestination(outputs, options.to, problem);
        if (!to) return failure(Outcome::NoPort, problem);
        inputName = answeringInput(inputs, to->name);
    }
    const midi::Port* from = findInput(inputs, inputName, problem);
    if (!from) return failure(Outcome::NoPort, problem);
    std::string error;
    const auto input =
        midi::MidiInput::open({"Klangor", "in", *from, false}, error, service, {.sysExOnly = true});
    if (!input)
        return failure(Outcome::NoInput, "Cannot open MIDI input \"" + from->name + "\": " + error);

    bool missing = false;
    SendOptions sending;
    sending.missing = [&missing] { missing = true; };
    if (Status notSent = sendMessage(dumpRequest(options.deviceNumber), options.to, sending))
        return failure(missing ? Outcome::NoPort : Outcome::NotSent, notSent->text);

    const auto deadline = Clock::now() + options.timeout;
    for (midi::Bytes message;;) {
        if (options.cancel && options.cancel->load())
            return failure(Outcome::Cancelled, "Receiving was cancelled.");
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left <= std::chrono::milliseconds(0))
            return failure(Outcome::TimedOut,
                           "The Morvex did not answer within " + secondsText(options.timeout) +
                               " \u2014 check the MIDI input, the cable and the device number");
        const auto wait = options.cancel ? std::min(left, kCancelPoll) : left;
        switch (input->next(message, wait)) {
        case midi::MidiInput::Outcome::TimedOut:
            continue;
        case midi::MidiInput::Outcome::ServiceStopped:
        case midi::MidiInput::Outcome::Closed:
            return failure(Outcome::ServiceStopped, "The MIDI service stopped");
        case midi::MidiInput::Outcome::Message:
            break;
        }
        if (!looksLikeVoiceDump(message, options.deviceNumber)) continue; // other traffic
        if (const std::string damage = voiceDumpProblem(message); !damage.empty())
            return failure(Outcome::Damaged, "The Morvex sent a damaged voice: " + damage);
        const ParsedVoiceFile parsed = parseVoiceFile(message);
        if (!parsed.ok) return failure(Outcome::Damaged, "The Morvex sent a damaged voice");
        ReceivedVoice result;
        result.outcome = Outcome::Received;
        result.dump = parsed.dump;
        return result;
    }
}

} // namespace morvex
