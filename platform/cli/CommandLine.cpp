#include "cli/CommandLine.h"

namespace cli {

std::string versionLine(std::string_view program) {
    return std::string(program) + " " + SUITE_VERSION;
}

bool asksForHelp(std::string_view argument) {
    return argument == "--help" || argument == "-h";
}

} // namespace cli
