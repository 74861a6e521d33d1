#include "cli/WindowProgram.h"

#include "cli/CommandLine.h"

#include <algorithm>
#include <iostream>

namespace cli {

std::optional<int> answerHelpOrVersion(std::string_view program, std::string_view usage,
                                       const std::vector<std::string>& arguments) {
    for (const std::string& argument : arguments) {
        if (asksForHelp(argument)) {
            std::cout << usage << exitStatusHelp();
            return kSuccess;
        }
        if (argument == "--version") {
            std::cout << versionLine(program) << "\n";
            return kSuccess;
        }
    }
    return std::nullopt;
}

std::optional<int> refuseUnknownOptions(std::string_view program, std::string_view usage,
                                        const std::vector<std::string>& arguments,
                                        const std::vector<std::string>& known) {
    for (const std::string& argument : arguments) {
        if (argument.empty() || argument[0] != '-') continue;
        if (std::find(known.begin(), known.end(), argument) != known.end()) continue;
        std::cerr << program << ": unknown option " << argument << "\n" << usage;
        return kUsageError;
    }
    return std::nullopt;
}

} // namespace cli
