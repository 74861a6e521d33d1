#pragma once
// What the core tells the user. The core never shows anything itself: it returns a Report, and the
// windows turn it into a message box while the command-line tools print it.

#include <optional>
#include <string>

namespace morvex {

struct Report {
    enum class Icon { Error, Warning, Information };
    Icon icon = Icon::Error;
    std::string caption; // "Fehler" for the editor's errors and warnings
    std::string text;
};

// The result of an operation that either succeeds or has something to report.
using Status = std::optional<Report>;

inline Report errorReport(std::string text) {
    return Report{Report::Icon::Error, "Fehler", std::move(text)};
}
inline Report warningReport(std::string text) {
    return Report{Report::Icon::Warning, "Fehler", std::move(text)};
}

} // namespace morvex
