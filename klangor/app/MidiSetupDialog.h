#pragma once
// Options > MIDI Setup: the output and input port chosen from the ports the MIDI service lists
// now, the device number, the pause between messages and "send while editing". A stored port that
// is not listed now stays chosen, shown as "(not connected)", until the user picks another.

#include "morvex/MidiSettings.h"

#include <QDialog>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QSpinBox;

namespace klangor {

class Session;

class MidiSetupDialog : public QDialog {
    Q_OBJECT
public:
    MidiSetupDialog(const morvex::MidiSettings& settings, const std::vector<std::string>& outputs,
                    const std::vector<std::string>& inputs, QWidget* parent = nullptr);

    // What the controls show, as it would be stored.
    morvex::MidiSettings chosen() const;

private:
    QComboBox* output_;
    QComboBox* input_;
    QSpinBox* device_;
    QSpinBox* pause_;
    QCheckBox* sendWhileEditing_;
};

// The text of a port that is stored but not listed now.
QString notConnected(const std::string& port);

// Stores `settings` in the settings file and makes them the setup in use; a file that cannot be
// written is reported to the user and changes nothing.
bool storeMidiSettings(Session& session, const morvex::MidiSettings& settings);

// The dialog with the ports listed now; OK stores what it shows.
void runMidiSetup(Session& session, QWidget* parent);

} // namespace klangor
