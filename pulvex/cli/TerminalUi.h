#pragma once
// What a reception shows, on the terminal: prompts and progress on stderr, no waiting for a key.

#include "pulvex/model/Reception.h"

namespace pulvex_cli {

class TerminalUi : public pulvex::ReceptionUi {
public:
    TerminalUi(pulvex::KitBank bank, int kitNumber) : bank_(bank), kitNumber_(kitNumber) {}

    void showReadyPrompt() override;
    void openProgress(const std::string& text) override;
    void setProgress(const std::string& text) override;
    void closeProgress() override {}
    bool hasStatusBar() const override { return true; }
    void setStatus(const std::string& text) override;
    void showError(const std::string& text) override;
    void beginBusy() override {}
    void endBusy() override {}
    void dispatchPendingEvent() override {}
    bool chooseKit(pulvex::KitBank& bank, int& number) override;

    // Whether an error was shown: the command then fails.
    bool failed() const { return failed_; }
    // The exit status of a reception that failed: no answer, or a failure of another kind.
    int exitStatus() const;

private:
    pulvex::KitBank bank_;
    int kitNumber_;
    bool failed_ = false;
    bool unanswered_ = false; // the last error was the module's silence
};

} // namespace pulvex_cli
