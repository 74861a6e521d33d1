// klangor-cli: the Morvex voice core without a window, for scripts and batch work.
//
// The exit statuses are the suite's (cli/CommandLine.h); on any error a message goes to stderr and
// no output file is written. `set` and `encode` take a value only inside the range the parameter
// table gives it.

#include "VoiceFields.h"
#include "VoiceJsonReader.h"
#include "cli/CommandLine.h"
#include "files/BoundedRead.h"
#include "morvex/Checksum.h"
#include "morvex/FmPresetList.h"
#include "morvex/ReceiveVoice.h"
#include "morvex/StartDir.h"
#include "morvex/Transmission.h"
#include "morvex/VoiceCodec.h"
#include "morvex/VoiceFile.h"
#include "morvex/WaveNames.h"

#include "midi/Pacer.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {
using namespace morvex;

constexpr const char* kProgram = "klangor-cli";

// One command's synopsis and description, as --help and COMMAND --help print them, and the
// options it takes.
struct Command {
    std::string_view name;
    std::string_view usage;
    std::vector<std::string_view> options;
};

const std::vector<Command>& commands() {
    static const std::vector<Command> list = {
        {"decode",
         R"(  decode FILE... [--lines]           each voice as JSON on stdout: one FILE pretty-printed, several
                                     (or --lines) one object per line with its "file"; a file
                                     that cannot be read is a line {"file": ..., "error": ...}
)",
         {"--lines"}},
        {"encode",
         R"(  encode JSON -o OUT                 the voice in JSON as decode prints it (or one line of its
                                     output; - reads stdin) saved as OUT; values it leaves out are
                                     the starting voice's, a value outside its range writes nothing
)",
         {"-o", "--output"}},
        {"set",
         R"(  set FILE [NAME=VALUE ...] -o OUT   change values (e.g. effect=37 A.attack_rate=99 name=Brassy);
                                     a value outside the range its bytes hold writes nothing
)",
         {"-o", "--output"}},
        {"preset",
         R"(  preset FILE INDEX B|D -o OUT       load FM preset INDEX (0..255) into element B or D
)",
         {"-o", "--output"}},
        {"ports",
         R"(  ports                              list the MIDI outputs with their numbers
)",
         {}},
        {"send",
         R"(  send FILE [PORT] [--device N] [--pause MS] [--verbose]
                                     send the voice; with --pause (0..500) wait until the dump
                                     has left a MIDI cable and MS more before ending, so that a
                                     next send finds the synth ready
)",
         {"--to", "--out", "--device", "--pause", "--verbose"}},
        {"request",
         R"(  request [PORT] [--device N] [--pause MS] [--verbose]
                                     send the dump request
)",
         {"--to", "--out", "--device", "--pause", "--verbose"}},
        {"receive",
         R"(  receive -o OUT [PORT] [--in NAME] [--device N] [--timeout MS]
                                     ask the Morvex for its voice and write it to OUT; the answer
                                     is awaited on --in (else the input named like the output)
                                     for --timeout MS (default 5000)
)",
         {"-o", "--output", "--to", "--out", "--in", "--device", "--timeout"}},
    };
    return list;
}

constexpr std::string_view kPorts =
    R"(PORT is --to N, output N of the list `ports` prints, or --out NAME, the output named NAME,
else the one whose name holds NAME in any case; without either, morvex.dev in the data folder
names it. --device N is the synthesizer's device number (0..15): send puts it into the dump
(else the file's stays), request and receive ask that device (else 0). --verbose prints the port
each message goes to.
)";

constexpr std::string_view kOptions =
    R"(--data DIR names the folder of initial.syx, morvex.lst and morvex.dev (default: the program's
data folder). --version prints the version; COMMAND --help the command's usage.
)";

constexpr std::string_view kExitStatuses = R"(Exit status:
  0  success
  1  a data or file error (nothing is written), or the MIDI service failed
  2  a usage error: the command line is wrong (the usage goes to stderr)
  3  no reply within the time-out (receive)
  4  a MIDI port that was named or numbered is not there
)";

const Command* findCommand(std::string_view name) {
    for (const Command& command : commands())
        if (command.name == name) return &command;
    return nullptr;
}

bool usesPorts(const Command& command) {
    return std::find(command.options.begin(), command.options.end(), "--to") !=
           command.options.end();
}

// The whole usage, or one command's.
std::string usage(const Command* only = nullptr) {
    std::string text = "usage: klangor-cli [--data DIR] COMMAND ...\n";
    if (only) {
        text.append(only->usage);
        if (usesPorts(*only)) text.append(kPorts);
    } else {
        for (const Command& command : commands()) text.append(command.usage);
        text.append(kPorts);
        text.append(kOptions);
    }
    text.append(kExitStatuses);
    return text;
}

struct UsageError {
    std::string text;
};

int fail(const std::string& text, int status = cli::kFailed) {
    std::cerr << "klangor-cli: " << text << "\n";
    return status;
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

// Command-line arguments after the command: positional ones and the options of `command`.
struct Arguments {
    std::vector<std::string> positional;
    std::optional<std::string> output;
    std::optional<int> device;
    int pause = 0;
    bool verbose = false;
    bool lines = false;             // --lines
    std::string inputPort;          // --in NAME
    std::string outputPort;         // --out NAME
    std::optional<int> outputIndex; // --to N
    std::optional<int> timeout;     // --timeout MS
};

Arguments parseArguments(const Command& command, const std::vector<std::string>& args) {
    Arguments parsed;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        // "-" is stdin and "-1" a number, not options.
        const bool isOption = arg.size() > 1 && arg[0] == '-' && !std::isdigit(uint8_t(arg[1]));
        if (!isOption) {
            parsed.positional.push_back(arg);
            continue;
        }
        if (std::find(command.options.begin(), command.options.end(), arg) == command.options.end())
            throw UsageError{std::string(command.name) + " has no option " + arg};
        const bool hasValue = i + 1 < args.size();
        if (arg == "-o" || arg == "--output") {
            if (!hasValue) throw UsageError{arg + " needs a file name"};
            parsed.output = args[++i];
        } else if (arg == "--device") {
            if (!hasValue) throw UsageError{"--device needs a number"};
            parsed.device = parseInt(args[++i], "--device");
            if (*parsed.device < 0 || *parsed.device > kHighestDeviceCode)
                throw UsageError{"--device must be 0.." + std::to_string(kHighestDeviceCode)};
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
        } else if (arg == "--lines") {
            parsed.lines = true;
        }
    }
    if (!parsed.outputPort.empty() && parsed.outputIndex)
        throw UsageError{"--to and --out both name the output: give one"};
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
    return cli::kSuccess;
}

// One file: the pretty JSON as before. Several, or --lines: JSON Lines, one voice or error at a
// time, so that any number of files takes one process and the memory of one voice.
int decodeCommand(MorvexState& state, const Arguments& a) {
    if (a.positional.empty()) throw UsageError{"decode needs a FILE"};
    if (!a.lines && a.positional.size() == 1) {
        if (auto problem = load(state, a.positional[0])) return fail(problem->text);
        std::cout << klangor_cli::voiceToJson(state);
        return cli::kSuccess;
    }
    std::size_t failed = 0;
    for (const std::string& path : a.positional) {
        if (auto problem = load(state, path)) {
            ++failed;
            std::cout << klangor_cli::errorJsonLine(path, problem->text);
        } else {
            std::cout << klangor_cli::voiceToJsonLine(state, path);
        }
    }
    std::cout.flush();
    if (failed == 0) return cli::kSuccess;
    return fail(std::to_string(failed) + " of " + std::to_string(a.positional.size()) +
                " files could not be decoded");
}

constexpr std::size_t kLongestJson = 1024 * 1024; // a voice's JSON is about 3 KiB

int encodeCommand(MorvexState& state, const Arguments& a) {
    expect(a, 1, true);
    const std::string& from = a.positional[0];
    const files::ReadResult json =
        files::readFileBounded(from == "-" ? "/dev/stdin" : from, kLongestJson);
    if (json.error) return fail(*json.error);
    // The starting voice supplies the header and whatever the JSON leaves out.
    if (auto problem = load(state, state.startDir + "/initial.syx")) return fail(problem->text);
    const std::string_view text(reinterpret_cast<const char*>(json.bytes.data()),
                                json.bytes.size());
    if (auto refused = klangor_cli::assignVoiceJson(state, text))
        return fail(from + ": " + *refused);
    return save(state, *a.output);
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
            if (auto refused = klangor_cli::assignName(state, value)) throw UsageError{*refused};
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
    return cli::kSuccess;
}

// The synthesizer's input: --out, --to, else what morvex.dev names.
Destination destination(MorvexState& state, const Arguments& a) {
    if (!a.outputPort.empty()) return {0, a.outputPort};
    if (a.outputIndex) return {*a.outputIndex, {}};
    Destination to;
    if (Status problem = ReadDeviceFile(state, &to.portName))
        std::cerr << "klangor-cli: " << problem->text << "\n";
    to.device = state.midiDevice;
    return to;
}

SendOptions sendOptions(const Arguments& a, midi::Pacer& pacer, bool& missing) {
    SendOptions options;
    options.pacer = &pacer;
    options.missing = [&missing] { missing = true; };
    if (a.verbose)
        options.opened = [](const std::string& port) {
            std::cout << "sending to " << port << std::endl; // at once: the send may hang
        };
    return options;
}

// Success only when the whole message left while the synthesizer's port was there.
int transmit(const std::vector<std::uint8_t>& message, MorvexState& state, const Arguments& a) {
    midi::Pacer pacer(std::chrono::milliseconds(a.pause));
    bool missing = false;
    if (Status problem =
            sendMessage(message, destination(state, a), sendOptions(a, pacer, missing)))
        return fail(problem->text, missing ? cli::kPortNotFound : cli::kFailed);
    pacer.beginMessage(); // the pause after the message, before a next send may start
    return cli::kSuccess;
}

int sendCommand(MorvexState& state, const Arguments& a) {
    expect(a, 1, false);
    if (auto problem = load(state, a.positional[0])) return fail(problem->text);
    EncodeVoice(state, printRangeMessage);
    UpdateChecksum(state.voiceData);
    std::vector<std::uint8_t> dump = sysExMessage(state, SysExKind::VoiceDump);
    if (a.device) dump[2] = static_cast<std::uint8_t>(*a.device);
    return transmit(dump, state, a);
}

int requestCommand(MorvexState& state, const Arguments& a) {
    expect(a, 0, false);
    return transmit(dumpRequest(a.device.value_or(0)), state, a);
}

int receiveCommand(MorvexState& state, const Arguments& a) {
    expect(a, 0, true);
    ReceiveOptions options;
    options.deviceNumber = a.device.value_or(0);
    options.to = destination(state, a);
    options.inputName = a.inputPort;
    if (a.timeout) options.timeout = std::chrono::milliseconds(*a.timeout);
    const ReceivedVoice received = ReceiveVoice(options);
    using Outcome = ReceivedVoice::Outcome;
    if (!received)
        return fail(received.text, received.outcome == Outcome::TimedOut ? cli::kNoAnswer
                                   : received.outcome == Outcome::NoPort ? cli::kPortNotFound
                                                                         : cli::kFailed);
    takeVoiceDump(state, received.dump); // written as it came: not decoded and encoded again
    if (Status problem = SaveVoiceFile(state, *a.output)) return fail(problem->text);
    return cli::kSuccess;
}

int run(const Command& command, const Arguments& a, MorvexState& state) {
    const std::string_view name = command.name;
    if (name == "decode") return decodeCommand(state, a);
    if (name == "encode") return encodeCommand(state, a);
    if (name == "set") return setCommand(state, a);
    if (name == "preset") return presetCommand(state, a, state.startDir);
    if (name == "ports") return portsCommand(a);
    if (name == "send") return sendCommand(state, a);
    if (name == "request") return requestCommand(state, a);
    return receiveCommand(state, a);
}

int usageError(const std::string& text, const Command* command = nullptr) {
    std::cerr << "klangor-cli: " << text << "\n" << usage(command);
    return cli::kUsageError;
}

} // namespace

int main(int argc, char** argv) try {
    std::ios::sync_with_stdio(false); // decode of many files writes much
    std::vector<std::string> args(argv + 1, argv + argc);
    MorvexState state;
    state.startDir = findStartDir();
    if (!args.empty() && args[0] == "--data") {
        if (args.size() < 2) return usageError("--data needs a folder");
        state.startDir = args[1];
        args.erase(args.begin(), args.begin() + 2);
    }
    if (args.empty()) return usageError("a COMMAND is missing");
    if (cli::asksForHelp(args[0])) {
        std::cout << usage();
        return cli::kSuccess;
    }
    if (args[0] == "--version") {
        std::cout << cli::versionLine(kProgram) << "\n";
        return cli::kSuccess;
    }
    const Command* command = findCommand(args[0]);
    if (!command) return usageError("unknown command \"" + args[0] + "\"");
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (std::any_of(rest.begin(), rest.end(),
                    [](const std::string& arg) { return cli::asksForHelp(arg); })) {
        std::cout << usage(command);
        return cli::kSuccess;
    }
    try {
        return run(*command, parseArguments(*command, rest), state);
    } catch (const UsageError& error) {
        return usageError(error.text, command);
    }
} catch (const std::exception& error) {
    // The last line of defence: a failure that escaped its command is reported, never an abort.
    return fail(error.what());
} catch (...) {
    return fail("unexpected failure");
}
