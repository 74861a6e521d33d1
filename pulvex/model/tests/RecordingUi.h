#pragma once
// What a reception shows, recorded for the tests: prompts, progress, statuses, errors, and the
// busy cursor's balance; the kit dialog answers as the test says.

#include "pulvex/model/Reception.h"

#include <string>
#include <vector>

namespace pulvex_test {

class RecordingUi : public pulvex::ReceptionUi {
public:
    int prompts = 0;
    std::vector<std::string> progress; // "open X", "set X", "close"
    std::vector<std::string> statuses;
    std::vector<std::string> errors;
    int busyDepth = 0;
    int busyBegun = 0;
    bool busyUnbalanced = false; // an end without a begin
    bool statusBar = true;
    bool kitChosen = true;
    pulvex::KitBank bank = pulvex::KitBank::Internal;
    int number = 3;
    int dialogs = 0;
    bool busyAtError = false;

    void showReadyPrompt() override { ++prompts; }
    void openProgress(const std::string& text) override { progress.push_back("open " + text); }
    void setProgress(const std::string& text) override { progress.push_back("set " + text); }
    void closeProgress() override { progress.push_back("close"); }
    bool hasStatusBar() const override { return statusBar; }
    void setStatus(const std::string& text) override { statuses.push_back(text); }
    void showError(const std::string& text) override {
        errors.push_back(text);
        busyAtError = busyAtError || busyDepth > 0;
    }
    void beginBusy() override {
        ++busyDepth;
        ++busyBegun;
    }
    void endBusy() override {
        if (busyDepth == 0)
            busyUnbalanced = true;
        else
            --busyDepth;
    }
    void dispatchPendingEvent() override {}
    bool chooseKit(pulvex::KitBank& b, int& n) override {
        ++dialogs;
        b = bank;
        n = number;
        return kitChosen;
    }
};

} // namespace pulvex_test
