#include "SetupPages.h"

#include "SetupIntegerEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>

namespace pulvex_app {

namespace {

QComboBox* dropDownList(QWidget* parent) {
    auto* list = new QComboBox(parent);
    list->setEditable(false);
    list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    return list;
}

QComboBox* numberList(QWidget* parent, int first, int count) {
    QComboBox* list = dropDownList(parent);
    for (int k = 0; k < count; ++k) list->addItem(QString::number(first + k));
    return list;
}

QComboBox* nameList(QWidget* parent, const std::vector<std::string>& names) {
    QComboBox* list = dropDownList(parent);
    // Wide enough for a typical device name even while nothing is selected.
    list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    list->setMinimumContentsLength(28);
    for (const std::string& name : names) list->addItem(QString::fromStdString(name));
    return list;
}

QComboBox* noteValueList(QWidget* parent) {
    QComboBox* list = dropDownList(parent);
    for (const std::string_view item : kNoteValueItems)
        list->addItem(QString::fromLatin1(item.data(), static_cast<qsizetype>(item.size())));
    return list;
}

// The index when it names an item, else no selection.
void select(QComboBox* list, int index) {
    list->setCurrentIndex(index >= 0 && index < list->count() ? index : -1);
}

SetupIntegerEdit* numberEdit(QWidget* parent, int value, int maximum = SetupIntegerEdit::kMaximum) {
    auto* edit = new SetupIntegerEdit(parent, maximum);
    edit->setNumber(value);
    return edit;
}

SetupProblem checkNumber(SetupIntegerEdit* edit) {
    const ParsedInteger parsed =
        parseInteger(edit->fieldText().toStdString(), SetupIntegerEdit::kMinimum, edit->maximum());
    if (parsed.outcome == ParsedInteger::Outcome::Valid) return {};
    return {edit, QString::fromStdString(
                      integerMessage(parsed, SetupIntegerEdit::kMinimum, edit->maximum()))};
}

int numberOf(const SetupIntegerEdit* edit) {
    return parseInteger(edit->fieldText().toStdString(), SetupIntegerEdit::kMinimum,
                        edit->maximum())
        .value;
}

} // namespace

CSetup_Midi::CSetup_Midi(const pulvex::SettingsStore& settings, MidiPortLists ports,
                         QWidget* parent)
    : CSetupPage(parent), ports_(std::move(ports)) {
    inPort = nameList(this, ports_.inputs);
    outPort = nameList(this, ports_.outputs);
    deviceNumber = numberList(this, 0, kDeviceNumberItems);
    channel = numberList(this, 1, kChannelItems);
    auto* form = new QFormLayout(this);
    form->addRow(tr("&IN Port:"), inPort);
    form->addRow(tr("&OUT Port:"), outPort);
    form->addRow(tr("Pulvex &Device Number:"), deviceNumber);
    form->addRow(tr("Pulvex MIDI &Channel:"), channel);

    const MidiPageValues values = loadMidiPage(settings, ports_);
    select(inPort, values.inIndex);
    select(outPort, values.outIndex);
    select(deviceNumber, values.deviceNumber);
    select(channel, values.channel);
}

files::FileError CSetup_Midi::store(pulvex::SettingsStore& settings) const {
    MidiPageValues values;
    values.inIndex = inPort->currentIndex();
    values.outIndex = outPort->currentIndex();
    values.deviceNumber = deviceNumber->currentIndex();
    values.channel = channel->currentIndex();
    return storeMidiPage(settings, values, ports_);
}

CSetup_Drumset::CSetup_Drumset(const pulvex::SettingsStore& settings, QWidget* parent)
    : CSetupPage(parent) {
    const DrumsetPageValues values = loadDrumsetPage(settings);
    quantize = noteValueList(this);
    duration = noteValueList(this);
    select(quantize, values.quantizeIndex);
    select(duration, values.durationIndex);
    auto* form = new QFormLayout(this);
    form->addRow(tr("&Quantize:"), quantize);
    form->addRow(tr("D&uration:"), duration);
    for (int k = 0; k < kVelocityCount; ++k) {
        velocities[k] = numberEdit(this, values.velocities[k]);
        form->addRow(tr("Vel. &%1:").arg(k + 1), velocities[k]);
    }
}

SetupProblem CSetup_Drumset::check() const {
    for (SetupIntegerEdit* edit : velocities)
        if (SetupProblem problem = checkNumber(edit); problem.field) return problem;
    return {};
}

files::FileError CSetup_Drumset::store(pulvex::SettingsStore& settings) const {
    DrumsetPageValues values;
    values.quantizeIndex = quantize->currentIndex();
    values.durationIndex = duration->currentIndex();
    for (int k = 0; k < kVelocityCount; ++k) values.velocities[k] = numberOf(velocities[k]);
    return storeDrumsetPage(settings, values);
}

CSetup_PatchBay::CSetup_PatchBay(const pulvex::SettingsStore& settings, QWidget* parent)
    : CSetupPage(parent) {
    const PatchBayPageValues values = loadPatchBayPage(settings);
    channel = numberList(this, 1, kChannelItems);
    select(channel, values.channel);
    program = numberEdit(this, values.program);
    send = new QCheckBox(tr("&Send Program Change"), this);
    send->setChecked(values.send);
    pause = numberEdit(this, values.pause, pulvex::kLongestProgramChangePause);
    auto* form = new QFormLayout(this);
    form->addRow(tr("Patch bay MIDI &Channel:"), channel);
    form->addRow(tr("&Program number:"), program);
    form->addRow(send);
    form->addRow(tr("P&ause before the request (ms):"), pause);
}

SetupProblem CSetup_PatchBay::check() const {
    if (SetupProblem problem = checkNumber(program); problem.field) return problem;
    return checkNumber(pause);
}

files::FileError CSetup_PatchBay::store(pulvex::SettingsStore& settings) const {
    PatchBayPageValues values;
    values.channel = channel->currentIndex();
    values.program = numberOf(program);
    values.send = send->isChecked();
    values.pause = numberOf(pause);
    return storePatchBayPage(settings, values);
}

} // namespace pulvex_app
