#pragma once
// The command line of a window program: --help and --version are answered before the application
// object exists, so that they need no display; what is left once Qt has taken its own options
// must be options the program knows.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

// The exit status when `arguments` (without the program's name) ask for help or the version, which
// went to stdout; nothing when the program goes on.
std::optional<int> answerHelpOrVersion(std::string_view program, std::string_view usage,
                                       const std::vector<std::string>& arguments);

// The usage error of an option in `arguments` that is not in `known` (said on stderr with the
// usage); nothing when all are known. Arguments without a leading '-' are not options.
std::optional<int> refuseUnknownOptions(std::string_view program, std::string_view usage,
                                        const std::vector<std::string>& arguments,
                                        const std::vector<std::string>& known);

} // namespace cli
