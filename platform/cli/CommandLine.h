#pragma once
// What every program of the suite does alike on its command line: the exit statuses, and the
// version line of --version.

#include <cstdio>
#include <initializer_list>
#include <string>
#include <string_view>

namespace cli {

// The exit statuses, the same in every program (and in their --help and the README).
enum ExitStatus : int {
    kSuccess = 0,
    kFailed = 1,       // a data or file error, or a failure of the MIDI service
    kUsageError = 2,   // the command line itself is wrong: the usage goes to stderr
    kNoAnswer = 3,     // no reply within the time-out
    kPortNotFound = 4, // a MIDI port named or numbered on the command line is not there
};

// "klangor-cli 0.1.0": the program's name and the project's version.
std::string versionLine(std::string_view program);

// The lines that end every --help: what each exit status means.
const char* exitStatusHelp();

// Whether `argument` asks for help: "--help" or "-h".
bool asksForHelp(std::string_view argument);

// One command's synopsis in a usage text: "send [--to N] FILE".
struct Synopsis {
    std::string_view command;
    const char* text;
};

// "usage: " and the synopses (of `only` alone when it names one), then `rest` when none was named.
void printUsage(std::FILE* out, std::initializer_list<Synopsis> synopses, std::string_view only,
                const char* rest);

} // namespace cli
