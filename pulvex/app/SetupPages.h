#pragma once
// The three pages of the setup sheet. Each fills its controls from the settings when it is made,
// checks its fields when the user leaves it or presses OK, and stores its values on OK.

#include "SetupValues.h"

#include <QString>
#include <QWidget>

class QCheckBox;
class QComboBox;

namespace pulvex_app {

class SetupIntegerEdit;

// A field the page refuses, and why.
struct SetupProblem {
    QWidget* field = nullptr;
    QString message;
};

class CSetupPage : public QWidget {
public:
    using QWidget::QWidget;
    // The first refused field, or one without a field when every field is acceptable.
    virtual SetupProblem check() const { return {}; }
    // Call only after check() found nothing. The reason when the profile cannot be written.
    virtual files::FileError store(pulvex::SettingsStore& settings) const = 0;
};

class CSetup_Midi : public CSetupPage {
public:
    CSetup_Midi(const pulvex::SettingsStore& settings, MidiPortLists ports,
                QWidget* parent = nullptr);
    files::FileError store(pulvex::SettingsStore& settings) const override;

    QComboBox* inPort;       // "&IN Port:"
    QComboBox* outPort;      // "&OUT Port:"
    QComboBox* deviceNumber; // "Pulvex &Device Number:", "0".."15"
    QComboBox* channel;      // "Pulvex MIDI &Channel:", "1".."16"

private:
    MidiPortLists ports_;
};

class CSetup_Drumset : public CSetupPage {
public:
    explicit CSetup_Drumset(const pulvex::SettingsStore& settings, QWidget* parent = nullptr);
    SetupProblem check() const override;
    files::FileError store(pulvex::SettingsStore& settings) const override;

    QComboBox* quantize;                          // "&Quantize:"
    QComboBox* duration;                          // "D&uration:"
    SetupIntegerEdit* velocities[kVelocityCount]; // "Vel. &1:" .. "Vel. &4:"
};

class CSetup_PatchBay : public CSetupPage {
public:
    explicit CSetup_PatchBay(const pulvex::SettingsStore& settings, QWidget* parent = nullptr);
    SetupProblem check() const override;
    files::FileError store(pulvex::SettingsStore& settings) const override;

    QComboBox* channel;        // "Patch bay MIDI &Channel:", "1".."16"
    SetupIntegerEdit* program; // "&Program number:"
    QCheckBox* send;           // "&Send Program Change"
    SetupIntegerEdit* pause;   // "P&ause before the request (ms):", 0..500
};

} // namespace pulvex_app
