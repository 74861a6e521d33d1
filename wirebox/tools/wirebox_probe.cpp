// wirebox-probe: checks a MIDI cable and a device through Wirebox's own calls. `--help` says how.

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

constexpr const char* kUsage =
    "usage: wirebox-probe ports\n"
    "       wirebox-probe send --in NAME --out NAME [--timeout MS] [--replies N] [--channel N]\n"
    "                          [--pause MS] HEX...\n"
    "       wirebox-probe --help\n";

constexpr const char* kHelp =
    "\n"
    "ports   lists the MIDI inputs and outputs by the names --in and --out take.\n"
    "send    opens the two ports as a host program would, sends the bytes given in hexadecimal\n"
    "        (F0 43 20 7E ... F7, or F043207E...F7; several messages one after another), and\n"
    "        prints each SysEx reply in hexadecimal until N replies have come or a wait runs out.\n"
    "  --in NAME, --out NAME  the exact port names, as `ports` lists them\n"
    "  --timeout MS           the longest wait for the output and for each reply (2000)\n"
    "  --replies N            how many replies to wait for (1)\n"
    "  --channel N            the channel of the sampler calls, 0..15 (0)\n"
    "  --pause MS             a pause after each message before the next one starts, counted\n"
    "                         from when its bytes would have left a MIDI cable (0); old devices\n"
    "                         need 20..150 ms to digest a dump\n"
    "Exit status: 0 when every reply came, 1 when one did not or a port failed, 2 on bad usage.\n";

int usage() {
    std::fputs(kUsage, stderr);
    return 2;
}

int help() {
    std::fputs(kUsage, stdout);
    std::fputs(kHelp, stdout);
    return 0;
}

void listPorts(const char* title, std::vector<std::string> names) {
    std::printf("%s:\n", title);
    if (names.empty()) std::printf("  (none)\n");
    for (const std::string& name : names) std::printf("  %s\n", name.c_str());
}

int ports() {
    midi::Backend& service = midi::service();
    const auto held = service.hold(); // one client of the service for both lists
    listPorts("MIDI inputs (for --in)", midi::namesOf(service.ports(midi::Direction::Input)));
    listPorts("MIDI outputs (for --out)", midi::namesOf(service.ports(midi::Direction::Output)));
    if (const std::string problem = service.problem(); !problem.empty())
        std::fprintf(stderr, "wirebox-probe: %s\n", problem.c_str());
    return 0;
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
                return usage();
            }
            *value = *number;
        } else
            hex += arg;
    }
    std::vector<unsigned char> message;
    if (in.empty() || out.empty() || !parseHex(hex, message) || message.empty()) return usage();

    SetTimeOut(static_cast<uint32_t>(timeout));
    if (!OpenMidi(nullptr, static_cast<int>(channel), in.c_str(), out.c_str())) return 1;
    int status = 0;
    midi::Pacer pacer{std::chrono::milliseconds(pause)};
    for (const auto& each : messagesIn(message)) {
        const auto start = pacer.beginMessage();
        if (!MidiTransmit(static_cast<uint32_t>(each.size()), each.data())) {
            std::fprintf(stderr,
                         "wirebox-probe: the output did not take the message within %ld ms\n",
                         timeout);
            status = 1;
            break;
        }
        pacer.endMessage(start, each.size());
    }
    for (long n = 0; status == 0 && n < replies; ++n) {
        uint32_t length = 0;
        unsigned char* reply = MidiReceive(&length);
        if (!reply) {
            std::fprintf(stderr, "wirebox-probe: no reply within %ld ms\n", timeout);
            status = 1;
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
    if (command == "--help" || command == "-h") return help();
    if (command == "ports") return ports();
    if (command == "send") return send(argc, argv);
    return usage();
} catch (const std::exception& error) {
    // The last line of defence: a failure that escaped is reported, never an abort.
    std::fprintf(stderr, "wirebox-probe: %s\n", error.what());
    return 1;
} catch (...) {
    std::fprintf(stderr, "wirebox-probe: unexpected failure\n");
    return 1;
}
