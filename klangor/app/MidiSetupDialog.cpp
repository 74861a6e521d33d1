#include "MidiSetupDialog.h"

#include "Session.h"
#include "midi/Backend.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QSpinBox>

namespace klangor {
namespace {

// Each entry's data is the port name as stored; "(none)" stores nothing.
QComboBox* portList(const std::vector<std::string>& listed, const std::string& stored,
                    const char* name, QWidget* parent) {
    auto* list = new QComboBox(parent);
    list->setObjectName(name);
    list->addItem("(none)", QString());
    for (const std::string& port : listed)
        list->addItem(QString::fromStdString(port), QString::fromStdString(port));
    int current = list->findData(QString::fromStdString(stored));
    if (current < 0) {
        list->addItem(notConnected(stored), QString::fromStdString(stored));
        current = list->count() - 1;
    }
    list->setCurrentIndex(current);
    return list;
}

QSpinBox* numberBox(int lowest, int highest, int value, const char* name, QWidget* parent) {
    auto* box = new QSpinBox(parent);
    box->setObjectName(name);
    box->setRange(lowest, highest);
    box->setValue(value);
    return box;
}

std::vector<std::string> listed(midi::Direction direction) {
    return midi::namesOf(midi::service().ports(direction));
}

} // namespace

QString notConnected(const std::string& port) {
    return QString::fromStdString(port) + " (not connected)";
}

MidiSetupDialog::MidiSetupDialog(const morvex::MidiSettings& settings,
                                 const std::vector<std::string>& outputs,
                                 const std::vector<std::string>& inputs, QWidget* parent)
    : QDialog(parent), output_(portList(outputs, settings.outputPort, "Output", this)),
      input_(portList(inputs, settings.inputPort, "Input", this)),
      device_(numberBox(morvex::kFirstDeviceNumber, morvex::kLastDeviceNumber,
                        settings.deviceNumber, "Device", this)),
      pause_(numberBox(0, morvex::kLongestPauseMs, settings.pauseMs, "Pause", this)),
      sendWhileEditing_(new QCheckBox("Send the voice after each change", this)) {
    setWindowTitle("MIDI Setup");
    pause_->setSuffix(" ms");
    sendWhileEditing_->setObjectName("SendWhileEditing");
    sendWhileEditing_->setChecked(settings.sendWhileEditing);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* form = new QFormLayout(this);
    form->addRow("MIDI output (to the Morvex):", output_);
    form->addRow("MIDI input (from the Morvex):", input_);
    form->addRow("Device number:", device_);
    form->addRow("Pause between messages:", pause_);
    form->addRow("Send while editing:", sendWhileEditing_);
    form->addRow(buttons);
}

morvex::MidiSettings MidiSetupDialog::chosen() const {
    return {output_->currentData().toString().toStdString(),
            input_->currentData().toString().toStdString(), device_->value(), pause_->value(),
            sendWhileEditing_->isChecked()};
}

bool storeMidiSettings(Session& session, const morvex::MidiSettings& settings) {
    if (const files::FileError problem =
            morvex::writeMidiSettings(morvex::midiSettingsPath(), settings)) {
        session.report(morvex::errorReport(*problem));
        return false;
    }
    session.useMidiSettings(settings);
    return true;
}

void runMidiSetup(Session& session, QWidget* parent) {
    std::vector<std::string> outputs, inputs;
    {
        const std::shared_ptr<void> held = midi::service().hold(); // one client for both lists
        outputs = listed(midi::Direction::Output);
        inputs = listed(midi::Direction::Input);
    }
    MidiSetupDialog dialog(session.midiSettings(), outputs, inputs, parent);
    if (dialog.exec() == QDialog::Accepted) storeMidiSettings(session, dialog.chosen());
}

} // namespace klangor
