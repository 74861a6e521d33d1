#include "TerminalUi.h"

#include "cli/CommandLine.h"

#include <cstdio>

namespace pulvex_cli {

void TerminalUi::showReadyPrompt() {
    std::fprintf(stderr, "Ready to read Pulvex configuration: reading the voice names...\n");
}

void TerminalUi::openProgress(const std::string& text) {
    std::fprintf(stderr, "Now reading: %s\n", text.c_str());
}

void TerminalUi::setProgress(const std::string& text) {
    openProgress(text);
}

void TerminalUi::setStatus(const std::string& text) {
    std::fprintf(stderr, "%s\n", text.c_str());
}

void TerminalUi::showError(const std::string& text) {
    failed_ = true;
    unanswered_ = text == pulvex::kNoResponse;
    std::fprintf(stderr, "pulvex-cli: %s\n", text.c_str());
}

int TerminalUi::exitStatus() const {
    return unanswered_ ? cli::kNoAnswer : cli::kFailed;
}

bool TerminalUi::chooseKit(pulvex::KitBank& bank, int& number) {
    bank = bank_;
    number = kitNumber_;
    return true;
}

} // namespace pulvex_cli
