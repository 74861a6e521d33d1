// wirebox-probe: checks a MIDI cable and a device through Wirebox's own calls.
//
//   wirebox-probe ports
//   wirebox-probe send --in NAME --out NAME [--timeout MS] [--replies N] [--channel N] HEX...
//
// "send" opens the two ports as a host program would, sends the bytes given in hexadecimal
// (e.g. F0 43 20 7E ... F7, or F043207E...F7), and prints each SysEx reply in hexadecimal until
// N replies have come (default 1) or a wait runs out. Exit status 0 when every reply came.

#include "midi/MidiApi.h"
#include "wirebox/Wirebox.h"

#include <cctype>
#include <charconv>
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
    "       wirebox-probe send --in NAME --out NAME [--timeout MS] [--replies N] [--channel N] "
    "HEX...\n";

int usage() {
    std::fputs(kUsage, stderr);
    return 2;
}

void listPorts(const char* title, std::vector<std::string> names) {
    std::printf("%s:\n", title);
    if (names.empty()) std::printf("  (none)\n");
    for (const std::string& name : names) std::printf("  %s\n", name.c_str());
}

int ports() {
    auto in = midi::makeInputClient("wirebox-probe");
    auto out = midi::makeOutputClient("wirebox-probe");
    listPorts("MIDI inputs (for --in)", in ? midi::portNames(*in) : std::vector<std::string>{});
    listPorts("MIDI outputs (for --out)", out ? midi::portNames(*out) : std::vector<std::string>{});
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
    long timeout = 2000, replies = 1, channel = 0;
    struct Number {
        long* value;
        long low, high;
    };
    const std::map<std::string, Number> numbers = {{"--timeout", {&timeout, 0, 3'600'000}},
                                                   {"--replies", {&replies, 0, 1'000'000}},
                                                   {"--channel", {&channel, 0, 15}}};
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
    if (!MidiTransmit(static_cast<uint32_t>(message.size()), message.data())) {
        std::fprintf(stderr, "wirebox-probe: the output did not take the message within %ld ms\n",
                     timeout);
        status = 1;
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
    if (argc >= 2 && std::string(argv[1]) == "ports") return ports();
    if (argc >= 2 && std::string(argv[1]) == "send") return send(argc, argv);
    return usage();
} catch (const std::exception& error) {
    // The last line of defence: a failure that escaped is reported, never an abort.
    std::fprintf(stderr, "wirebox-probe: %s\n", error.what());
    return 1;
} catch (...) {
    std::fprintf(stderr, "wirebox-probe: unexpected failure\n");
    return 1;
}
