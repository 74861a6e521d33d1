#pragma once
// The setup sheet "Pulvex Setup": the pages MIDI, Drumset and Patch Bay. OK stores what every page
// the user has looked at holds (a page never opened stores nothing); Cancel stores nothing.

#include "SetupPages.h"

#include <QDialog>
#include <array>
#include <functional>

class QDialogButtonBox;
class QTabWidget;

namespace pulvex_app {

// Shows a refusal or failure to the user; tests put their own in to capture the texts.
using SetupMessage = std::function<void(QWidget* parent, const QString& text)>;
// The defaults: a warning box for a refused field, an error box for a failed save, both captioned
// with the program's title.
void showSetupMessage(QWidget* parent, const QString& text);
void showSetupFailure(QWidget* parent, const QString& text);

class CSetupSheet : public QDialog {
public:
    explicit CSetupSheet(pulvex::SettingsStore& settings, QWidget* parent = nullptr,
                         const PortLister& listPorts = listMidiPorts);

    SetupMessage message = showSetupMessage;
    SetupMessage failure = showSetupFailure;

    QTabWidget* tabs;
    CSetup_Midi* midiPage;
    CSetup_Drumset* drumsetPage;
    CSetup_PatchBay* patchBayPage;
    QDialogButtonBox* buttons;

    void accept() override;

private:
    void turnPage(int step); // Ctrl+Tab and the like: on to the next page, around at the end
    void pageChanged(int index);
    // Shows the message of the current page's first refused field and puts the cursor there;
    // false when the page has one.
    bool currentPageAcceptable();

    pulvex::SettingsStore& settings_;
    std::array<CSetupPage*, 3> pages_;
    std::array<bool, 3> visited_{true, false, false};
    int shown_ = 0;
    bool goingBack_ = false;
};

// Runs the sheet modally. True when the user pressed OK and everything was stored.
bool runSetupSheet(QWidget* parent, pulvex::SettingsStore& settings);

} // namespace pulvex_app
