#include "cli/CommandLine.h"

namespace cli {

std::string versionLine(std::string_view program) {
    return std::string(program) + " " + SUITE_VERSION;
}

const char* exitStatusHelp() {
    return "Exit status: 0 success, 1 a data or file error, 2 a usage error (the usage goes to\n"
           "stderr), 3 no reply within the time-out, 4 a MIDI port not found.\n";
}

bool asksForHelp(std::string_view argument) {
    return argument == "--help" || argument == "-h";
}

void printUsage(std::FILE* out, std::initializer_list<Synopsis> synopses, std::string_view only,
                const char* rest) {
    const char* lead = "usage: ";
    for (const Synopsis& synopsis : synopses) {
        if (!only.empty() && only != synopsis.command) continue;
        std::fputs(lead, out);
        std::fputs(synopsis.text, out);
        lead = "       ";
    }
    if (only.empty()) std::fputs(rest, out);
}

} // namespace cli
