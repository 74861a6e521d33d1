// wirebox-probe: checks a MIDI cable and a device through Wirebox's own calls. `--help` says how.

#include "cli/CommandLine.h"
#include "midi/Backend.h"
#include "midi/Pacer.h"
#include "wirebox/Wirebox.h"

#include <cctype>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

// Each synopsis is aligned for the 7 characters of "usage: " before it.
constexpr const char* kPortsUsage = "wirebox-probe ports\n";
constexpr const char* kSendUsage =
    "wirebox-probe send --in PORT --out PORT [--timeout MS] [--replies N] [--channel N]\n"
    "                          [--pause MS] HEX...\n";
constexpr const char* kOtherUsage = "       wirebox-probe COMMAND --help\n"
                                    "       wirebox-probe --help | --version\n";

constexpr const char* kPortsHelp =
    "ports   lists the MIDI inputs and outputs, numbered, by the names --in and --out take.\n";
constexpr const char* kSendHelp =
    "send    opens the two ports as a host program would, sends the bytes given in hexadecimal\n"
    "        (F0 43 20 7E ... F7, or F043207E...F7; several messages one after another), and\n"
    "        prints each SysEx reply in hexadecimal until N replies have come or a wait runs out.\n"
    "  --in PORT, --out PORT  a port's number or name as `ports` lists it, or a part of one\n"
    "                         port's name in any case (\"pulvex\")\n"
    "  --timeout MS           the longest wait for the output and for each reply (2000)\n"
    "  --replies N            how many replies to wait for (1)\n"
    "  --channel N            the channel of the sampler calls, 0..15 (0)\n"
    "  --pause MS             a pause after each message before the next one starts, counted\n"
    "                         from when its bytes would have left a MIDI cable (0); old devices\n"
    "                         need 20..150 ms to digest a dump\n";

// The usage of `command` ("ports", "send"), or of all without one.
void printUsage(std::FILE* out, const std::string& command = "") {
    cli::printUsage(out, {{"ports", kPortsUsage}, {"send", kSendUsage}}, command, kOtherUsage);
}

int usage(const std::string& command = "") {
    printUsage(stderr, command);
    return cli::kUsageError;
}

int help(const std::string& command = "") {
    printUsage(stdout, command);
    std::fputs("\n", stdout);
    if (command != "send") std::fputs(kPortsHelp, stdout);
    if (command != "ports") std::fputs(kSendHelp, stdout);
    std::fputs(cli::exitStatusHelp(), stdout);
    return cli::kSuccess;
}

void listPorts(const char* title, const std::vector<std::string>& names) {
    std::printf("%s:\n", title);
    if (names.empty()) std::printf("  (none)\n");
    for (std::size_t n = 0; n < names.size(); ++n) std::printf("  %zu  %s\n", n, names[n].c_str());
}

int ports() {
    midi::Backend& service = midi::service();
    const auto held = service.hold(); // one client of the service for both lists
    listPorts("MIDI inputs (for --in)", midi::namesOf(service.ports(midi::Direction::Input)));
    listPorts("MIDI outputs (for --out)", midi::namesOf(service.ports(midi::Direction::Output)));
    if (const std::string problem = service.problem(); !problem.empty()) {
        std::fprintf(stderr, "wirebox-probe: %s\n", problem.c_str());
        return cli::kFailed;
    }
    return cli::kSuccess;
}

// The exact names of the ports `in` and `out` stand for, as Wirebox opens only exact names; false
// with the reason on stderr and `status` set.
bool exactPortNames(std::string& in, std::string& out, int& status) {
    midi::Backend& service = midi::service();
    const auto held = service.hold();
    for (auto [wanted, direction] :
         {std::pair{&in, midi::Direction::Input}, {&out, midi::Direction::Output}}) {
        const std::vector<midi::Port> ports = service.ports(direction);
        if (const std::string problem = service.problem(); !problem.empty()) {
            std::fprintf(stderr, "wirebox-probe: %s\n", problem.c_str());
            status = cli::kFailed;
            return false;
        }
        const midi::PortMatch match = midi::findPortArgument(ports, *wanted);
        if (!match.port) {
            std::fprintf(stderr, "wirebox-probe: %s\n", midi::noPortText(*wanted, match).c_str());
            status = cli::kPortNotFound;
            return false;
        }
        *wanted = match.port->name;
    }
    return true;
}

bool parseHex(const std::string& text, std::vector<unsigned char>& bytes) {
    std::string digits;
    for (char c : text)
        if (!std::isspace(static_cast<unsigned char>(c))) digits += c;
    if (digits.size() % 2 != 0) return false;
    for (std::size_t i = 0; i < digits.size(); i += 2) {
        unsigned value = 0;
        const char* pair = digits.data() + i;
        // from_chars alone would take a sign; only two hex digits make a byte.
        if (!std::isxdigit(static_cast<unsigned char>(pair[0])) ||
            std::from_chars(pair, pair + 2, value, 16).ptr != pair + 2)
            return false;
        bytes.push_back(static_cast<unsigned char>(value));
    }
    return true;
}

// The messages in a stream of bytes: each status byte starts one, and F7 ends a SysEx.
std::vector<std::vector<unsigned char>> messagesIn(const std::vector<unsigned char>& bytes) {
    std::vector<std::vector<unsigned char>> messages;
    bool ended = true;
    for (unsigned char byte : bytes) {
        if (ended || (byte >= 0x80 && byte != 0xF7)) messages.emplace_back();
        messages.back().push_back(byte);
        ended = byte == 0xF7;
    }
    return messages;
}

// A whole number low..high, or nothing: "--timeout 2s" must not quietly become 2, nor "abc" 0.
std::optional<long> parseNumber(const char* text, long low, long high) {
    long value = 0;
    const char* end = text + std::strlen(text);
    const auto [stop, ec] = std::from_chars(text, end, value);
    if (ec != std::errc() || stop != end || value < low || value > high) return std::nullopt;
    return value;
}

int send(int argc, char** argv) {
    std::string in, out, hex;
    long timeout = 2000, replies = 1, channel = 0, pause = 0;
    struct Number {
        long* value;
        long low, high;
    };
    const std::map<std::string, Number> numbers = {{"--timeout", {&timeout, 0, 3'600'000}},
                                                   {"--replies", {&replies, 0, 1'000'000}},
                                                   {"--channel", {&channel, 0, 15}},
                                                   {"--pause", {&pause, 0, 60'000}}};
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--in" && hasValue)
            in = argv[++i];
        else if (arg == "--out" && hasValue)
            out = argv[++i];
        else if (numbers.count(arg) && hasValue) {
            const auto& [value, low, high] = numbers.at(arg);
            const std::optional<long> number = parseNumber(argv[++i], low, high);
            if (!number) {
                std::fprintf(stderr,
                             "wirebox-probe: %s takes a whole number %ld..%ld, not \"%s\"\n",
                             arg.c_str(), low, high, argv[i]);
                return usage("send");
            }
            *value = *number;
        } else
            hex += arg;
    }
    std::vector<unsigned char> message;
    if (in.empty() || out.empty() || !parseHex(hex, message) || message.empty())
        return usage("send");
    if (int status = 0; !exactPortNames(in, out, status)) return status;

    SetTimeOut(static_cast<uint32_t>(timeout));
    if (!OpenMidi(nullptr, static_cast<int>(channel), in.c_str(), out.c_str())) return cli::kFailed;
    int status = cli::kSuccess;
    midi::Pacer pacer{std::chrono::milliseconds(pause)};
    for (const auto& each : messagesIn(message)) {
        const auto start = pacer.beginMessage();
        if (!MidiTransmit(static_cast<uint32_t>(each.size()), each.data())) {
            std::fprintf(stderr,
                         "wirebox-probe: the output did not take the message within %ld ms\n",
                         timeout);
            status = cli::kFailed;
            break;
        }
        pacer.endMessage(start, each.size());
    }
    for (long n = 0; status == cli::kSuccess && n < replies; ++n) {
        uint32_t length = 0;
        unsigned char* reply = MidiReceive(&length);
        if (!reply) {
            std::fprintf(stderr, "wirebox-probe: no reply within %ld ms\n", timeout);
            status = cli::kNoAnswer;
            break;
        }
        for (uint32_t i = 0; i < length; ++i) std::printf(i ? " %02X" : "%02X", reply[i]);
        std::printf("\n");
        DiscardMidiMessage(reply);
    }
    CloseMidi();
    return status;
}

} // namespace

int main(int argc, char** argv) try {
    const std::string command = argc >= 2 ? argv[1] : "";
    if (cli::asksForHelp(command)) return help();
    if (command == "--version") {
        std::printf("%s\n", cli::versionLine("wirebox-probe").c_str());
        return cli::kSuccess;
    }
    if (command != "ports" && command != "send") {
        if (!command.empty())
            std::fprintf(stderr, "wirebox-probe: unknown command \"%s\"\n", command.c_str());
        return usage();
    }
    for (int i = 2; i < argc; ++i)
        if (cli::asksForHelp(argv[i])) return help(command);
    if (command == "ports") return argc == 2 ? ports() : usage("ports");
    return send(argc, argv);
} catch (const std::exception& error) {
    // The last line of defence: a failure that escaped is reported, never an abort.
    std::fprintf(stderr, "wirebox-probe: %s\n", error.what());
    return cli::kFailed;
} catch (...) {
    std::fprintf(stderr, "wirebox-probe: unexpected failure\n");
    return cli::kFailed;
}
