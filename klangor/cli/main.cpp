// klangor-cli: the Morvex voice core without a window, for scripts and batch work.
//
// Exit status 0 on success; 1 with a message on stderr on any error, and then no output file. `set`
// takes a value only inside the range the parameter table gives it.

#include "VoiceFields.h"
#include "morvex/Checksum.h"
#include "morvex/FmPresetList.h"
#include "morvex/ReceiveVoice.h"
#include "morvex/StartDir.h"
#include "morvex/Transmission.h"
#include "morvex/VoiceCodec.h"
#include "morvex/VoiceFile.h"
#include "morvex/WaveNames.h"

#include "midi/Pacer.h"

#include <charconv>
#include <cstdio>
#include <exception>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

namespace {
using namespace morvex;

constexpr const char* kUsage = R"(usage: klangor-cli [--data DIR] COMMAND ...
  decode FILE                        the decoded voice as JSON
  set FILE [NAME=VALUE ...] -o OUT   change values (e.g. effect=37 A.attack_rate=99 name=Brassy);
                                     a value outside the range its bytes hold writes nothing
  preset FILE INDEX B|D -o OUT       load FM preset INDEX (0..255) into element B or D
  ports                              list the MIDI outputs with their device numbers
  send FILE [--device N] [--pause MS]
                                     send the voice to MIDI output N; with --pause (0..500)
                                     wait until the dump has left a MIDI cable and MS more
                                     before ending, so that a next send finds the synth ready
  request [--device N] [--pause MS]  send the dump request to MIDI output N
  receive -o OUT [--device N] [--in NAME] [--out NAME|--to N] [--timeout MS]
                                     ask the Morvex (device number N, 0..15, default 0) for
                                     its voice and write it to OUT; the request goes to
                                     --out/--to (else morvex.dev), the answer is awaited on
                                     --in (else the input named like that output) for
                                     --timeout MS (default 5000)
  (send and request with --verbose print the port each message goes to)
--data DIR names the folder of morvex.lst and morvex.dev (default: the program's data folder).
)";

struct UsageError {
    std::string text;
};

int fail(const std::string& text) {
    std::cerr << "klangor-cli: " << text << "\n";
    return 1;
}

int parseInt(const std::string& text, const std::string& what) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size())
        throw UsageError{what + " must be an integer, not \"" + text + "\""};
    return value;
}

void printRangeMessage(int offset) {
    std::cerr << rangeMessage(offset) << "\n";
}

constexpr int kLongestPause = 500; // ms; old instruments need 20..150

// Command-line arguments after the command: positional ones, "-o OUT", "--device N",
// "--pause MS", and receive's ports and time-out.
struct Arguments {
    std::vector<std::string> positional;
    std::optional<std::string> output;
    std::optional<int> device;
    int pause = 0;
    bool verbose = false;
    std::string inputPort;          // --in NAME
    std::string outputPort;         // --out NAME
    std::optional<int> outputIndex; // --to N
    std::optional<int> timeout;     // --timeout MS
};

Arguments parseArguments(const std::vector<std::string>& args) {
    Arguments parsed;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "-o" || arg == "--output") {
            if (!hasValue) throw UsageError{arg + " needs a file name"};
            parsed.output = args[++i];
        } else if (arg == "--device") {
            if (!hasValue) throw UsageError{"--device needs a number"};
            parsed.device = parseInt(args[++i], "--device");
        } else if (arg == "--pause") {
            if (!hasValue) throw UsageError{"--pause needs a number of milliseconds"};
            parsed.pause = parseInt(args[++i], "--pause");
            if (parsed.pause < 0 || parsed.pause > kLongestPause)
                throw UsageError{"--pause must be 0.." + std::to_string(kLongestPause)};
        } else if (arg == "--in" || arg == "--out") {
            if (!hasValue) throw UsageError{arg + " needs a port name"};
            (arg == "--in" ? parsed.inputPort : parsed.outputPort) = args[++i];
        } else if (arg == "--to") {
            if (!hasValue) throw UsageError{"--to needs a number"};
            parsed.outputIndex = parseInt(args[++i], "--to");
        } else if (arg == "--timeout") {
            if (!hasValue) throw UsageError{"--timeout needs a number of milliseconds"};
            parsed.timeout = parseInt(args[++i], "--timeout");
            if (*parsed.timeout <= 0) throw UsageError{"--timeout must be above 0"};
        } else if (arg == "--verbose") {
            parsed.verbose = true;
        } else {
            parsed.positional.push_back(arg);
        }
    }
    return parsed;
}

void expect(const Arguments& a, std::size_t positional, bool needsOutput) {
    if (a.positional.size() != positional) throw UsageError{"wrong number of arguments"};
    if (needsOutput && !a.output) throw UsageError{"-o OUT is missing"};
}

std::optional<Report> load(MorvexState& state, const std::string& path) {
    if (Status problem = LoadVoiceFile(state, path)) return problem;
    DecodeVoice(state);
    return std::nullopt;
}

int save(MorvexState& state, const std::string& path) {
    EncodeVoice(state, printRangeMessage);
    UpdateChecksum(state.voiceData);
    if (Status problem = SaveVoiceFile(state, path)) return fail(problem->text);
    return 0;
}

int decodeCommand(MorvexState& state, const Arguments& a) {
    expect(a, 1, false);
    if (auto problem = load(state, a.positional[0])) return fail(problem->text);
    std::cout << klangor_cli::voiceToJson(state);
    return 0;
}

void setName(MorvexState& state, const std::string& name) {
    if (name.size() > static_cast<std::size_t>(kVoiceNameLength))
        throw UsageError{"a voice name has at most 8 characters: \"" + name + "\""};
    state.voiceName.fill(' ');
    std::copy(name.begin(), name.end(), state.voiceName.begin());
}

int setCommand(MorvexState& state, const Arguments& a) {
    if (a.positional.empty()) throw UsageError{"set needs a FILE"};
    if (!a.output) throw UsageError{"-o OUT is missing"};
    if (auto problem = load(state, a.positional[0])) return fail(problem->text);
    // Every assignment is checked before the file is written, so a typo writes nothing.
    for (std::size_t i = 1; i < a.positional.size(); ++i) {
        const std::string& assignment = a.positional[i];
        const std::size_t equals = assignment.find('=');
        if (equals == std::string::npos)
            throw UsageError{"expected NAME=VALUE, got \"" + assignment + "\""};
        const std::string name = assignment.substr(0, equals);
        const std::string value = assignment.substr(equals + 1);
        if (name == "name") {
            setName(state, value);
            continue;
        }
        std::string error;
        const auto field = klangor_cli::findField(state, name, error);
        if (!field) throw UsageError{error};
        if (auto refused = klangor_cli::assignField(*field, name, value)) return fail(*refused);
    }
    return save(state, *a.output);
}

int presetCommand(MorvexState& state, const Arguments& a, const std::string& dataDir) {
    expect(a, 3, true);
    const int index = parseInt(a.positional[1], "INDEX");
    if (index < 0 || index >= kFmPresetCount) throw UsageError{"INDEX must be 0..255"};
    const std::string& letter = a.positional[2];
    if (letter != "B" && letter != "D") throw UsageError{"the element must be B or D"};
    const FmElement element = letter == "B" ? FmElement::B : FmElement::D;

    if (auto problem = load(state, a.positional[0])) return fail(problem->text);
    // What picking the wave on the Tone page does: wave number, preset, marker cleared.
    state.voiceParams.wave[element == FmElement::B ? B : D] = index;
    if (Status problem = LoadFmPreset(state, index, element, dataDir)) return fail(problem->text);
    state.voiceData[element == FmElement::B ? 55 : 129] = 0;
    return save(state, *a.output);
}

int portsCommand(const Arguments& a) {
    expect(a, 0, false);
    const auto names = midiOutputNames();
    if (names.empty())
        std::cerr << "klangor-cli: no MIDI outputs found (is a MIDI interface connected, and the "
                     "JACK server or the ALSA sequencer running?)\n";
    for (std::size_t i = 0; i < names.size(); ++i) std::cout << i << ": " << names[i] << "\n";
    return 0;
}

int deviceFor(MorvexState& state, const Arguments& a) {
    if (a.device) return *a.device;
    if (Status problem = ReadDeviceFile(state))
        std::cerr << "klangor-cli: " << problem->text << "\n";
    return state.midiDevice;
}

SendOptions sendOptions(const Arguments& a, midi::Pacer& pacer) {
    SendOptions options;
    options.pacer = &pacer;
    if (a.verbose)
        options.opened = [](const std::string& port) {
            std::cout << "sending to " << port << std::endl; // at once: the send may hang
        };
    return options;
}

// Exit status 0 only when the whole message left while the synthesizer's port was there.
int transmit(const Status& problem, midi::Pacer& pacer) {
    if (problem) return fail(problem->text);
    pacer.beginMessage(); // the pause after the message, before a next send may start
    return 0;
}

int sendCommand(MorvexState& state, const Arguments& a) {
    expect(a, 1, false);
    if (auto problem = load(state, a.positional[0])) return fail(problem->text);
    midi::Pacer pacer(std::chrono::milliseconds(a.pause));
    return transmit(SendVoice(state, deviceFor(state, a), printRangeMessage, sendOptions(a, pacer)),
                    pacer);
}

int requestCommand(MorvexState& state, const Arguments& a) {
    expect(a, 0, false);
    midi::Pacer pacer(std::chrono::milliseconds(a.pause));
    return transmit(
        TransmitSysEx(state, SysExKind::DumpRequest, deviceFor(state, a), sendOptions(a, pacer)),
        pacer);
}

// The synthesizer's input: --out, --to, else what morvex.dev names.
Destination receiveDestination(MorvexState& state, const Arguments& a) {
    if (!a.outputPort.empty()) return {0, a.outputPort};
    if (a.outputIndex) return {*a.outputIndex, {}};
    Destination to;
    if (Status problem = ReadDeviceFile(state, &to.portName))
        std::cerr << "klangor-cli: " << problem->text << "\n";
    to.device = state.midiDevice;
    return to;
}

int receiveCommand(MorvexState& state, const Arguments& a) {
    expect(a, 0, true);
    ReceiveOptions options;
    options.deviceNumber = a.device.value_or(0);
    if (options.deviceNumber < 0 || options.deviceNumber > kHighestDeviceCode)
        throw UsageError{"--device must be 0.." + std::to_string(kHighestDeviceCode)};
    options.to = receiveDestination(state, a);
    options.inputName = a.inputPort;
    if (a.timeout) options.timeout = std::chrono::milliseconds(*a.timeout);
    const ReceivedVoice received = ReceiveVoice(options);
    if (!received) return fail(received.text);
    takeVoiceDump(state, received.dump); // written as it came: not decoded and encoded again
    if (Status problem = SaveVoiceFile(state, *a.output)) return fail(problem->text);
    return 0;
}

} // namespace

int main(int argc, char** argv) try {
    std::vector<std::string> args(argv + 1, argv + argc);
    MorvexState state;
    state.startDir = findStartDir();
    if (args.size() >= 2 && args[0] == "--data") {
        state.startDir = args[1];
        args.erase(args.begin(), args.begin() + 2);
    }
    if (args.empty() || args[0] == "--help" || args[0] == "-h") {
        std::cout << kUsage;
        return args.empty() ? 1 : 0;
    }
    const std::string command = args[0];
    try {
        const Arguments a = parseArguments({args.begin() + 1, args.end()});
        if (command == "decode") return decodeCommand(state, a);
        if (command == "set") return setCommand(state, a);
        if (command == "preset") return presetCommand(state, a, state.startDir);
        if (command == "ports") return portsCommand(a);
        if (command == "send") return sendCommand(state, a);
        if (command == "request") return requestCommand(state, a);
        if (command == "receive") return receiveCommand(state, a);
        throw UsageError{"unknown command \"" + command + "\""};
    } catch (const UsageError& error) {
        std::cerr << "klangor-cli: " << error.text << " (klangor-cli --help shows the usage)\n";
        return 1;
    }
} catch (const std::exception& error) {
    // The last line of defence: a failure that escaped its command is reported, never an abort.
    return fail(error.what());
} catch (...) {
    return fail("unexpected failure");
}
