// The setup sheet: what OK and Cancel store, the refusals of wrong numbers, the choice of a stored
// port by a prefix of its name, and the port lists of the MIDI service (an in-memory bus).

#include "SetupIntegerEdit.h"
#include "SetupSheet.h"
#include "midi/MemoryBus.h"
#include "midi/MidiInput.h"
#include "midi/MidiOutput.h"
#include "testing/TempDir.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QPushButton>
#include <QSettings>
#include <QTabWidget>
#include <QTest>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>

using namespace pulvex_app;
using pulvex::SettingKey;

namespace {

const MidiPortLists kPorts = {{"USB Midi Cable", "MIDI Yoke In 1", "Midi Yoke In 2"},
                              {"Synth Port", "MIDI Yoke Out 1", "Pulvex Box"}};

class SetupSheetTest : public ::testing::Test {
protected:
    std::unique_ptr<CSetupSheet> openSheet(const MidiPortLists& ports = kPorts) {
        auto sheet = std::make_unique<CSetupSheet>(store, nullptr, [ports] { return ports; });
        sheet->message = [this](QWidget*, const QString& text) { messages << text; };
        return sheet;
    }
    static void press(CSetupSheet& sheet, QDialogButtonBox::StandardButton which) {
        sheet.buttons->button(which)->click();
    }
    static void type(SetupIntegerEdit* edit, const QString& text) {
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
    bool stored(SettingKey key) const {
        const QSettings file(QString::fromStdString(store.path()), QSettings::IniFormat);
        return file.contains(QString("Settings/") +
                             QString::fromLatin1(pulvex::settingTable()[int(key)].name.data()));
    }

    testing_support::TempDir dir;
    pulvex::SettingsStore store{dir.file("Pulvex.ini")};
    QStringList messages;
};

TEST_F(SetupSheetTest, WithoutAProfileThePagesShowTheDefaults) {
    auto sheet = openSheet();
    EXPECT_EQ(sheet->windowTitle(), "Pulvex Setup");
    ASSERT_EQ(sheet->tabs->count(), 3);
    EXPECT_EQ(sheet->tabs->tabText(0), "MIDI");
    EXPECT_EQ(sheet->tabs->tabText(1), "Drumset");
    EXPECT_EQ(sheet->tabs->tabText(2), "Patch Bay");
    EXPECT_EQ(sheet->midiPage->inPort->currentIndex(), -1);
    EXPECT_EQ(sheet->midiPage->outPort->currentIndex(), -1);
    EXPECT_EQ(sheet->midiPage->channel->currentText(), "1");
    EXPECT_EQ(sheet->midiPage->deviceNumber->currentText(), "0");
    EXPECT_EQ(sheet->drumsetPage->quantize->currentText(), "Off");
    EXPECT_EQ(sheet->drumsetPage->duration->currentText(), "Off");
    const char* velocities[] = {"70", "90", "110", "120"};
    for (int k = 0; k < kVelocityCount; ++k)
        EXPECT_EQ(sheet->drumsetPage->velocities[k]->fieldText(), velocities[k]);
    EXPECT_EQ(sheet->patchBayPage->channel->currentText(), "1");
    EXPECT_EQ(sheet->patchBayPage->program->fieldText(), "0");
    EXPECT_FALSE(sheet->patchBayPage->send->isChecked());
}

TEST_F(SetupSheetTest, OkStoresWhatEveryOpenedPageHolds) {
    auto sheet = openSheet();
    sheet->midiPage->inPort->setCurrentIndex(2);
    sheet->midiPage->outPort->setCurrentIndex(0);
    sheet->midiPage->channel->setCurrentIndex(sheet->midiPage->channel->findText("16"));
    sheet->midiPage->deviceNumber->setCurrentIndex(7);
    sheet->tabs->setCurrentIndex(1);
    sheet->drumsetPage->duration->setCurrentIndex(sheet->drumsetPage->duration->findText("16T"));
    sheet->drumsetPage->quantize->setCurrentIndex(sheet->drumsetPage->quantize->findText("1."));
    type(sheet->drumsetPage->velocities[3], " 0 ");
    sheet->tabs->setCurrentIndex(2);
    sheet->patchBayPage->channel->setCurrentIndex(9);
    type(sheet->patchBayPage->program, "127");
    sheet->patchBayPage->send->click();
    type(sheet->patchBayPage->pause, "500");
    press(*sheet, QDialogButtonBox::Ok);

    EXPECT_EQ(sheet->result(), QDialog::Accepted);
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(store.readText(SettingKey::MidiIn), "Midi Yoke In 2");
    EXPECT_EQ(store.readText(SettingKey::MidiOut), "Synth Port");
    EXPECT_EQ(store.readNumber(SettingKey::Channel), 15);
    EXPECT_EQ(store.readNumber(SettingKey::DeviceNumber), 7);
    EXPECT_EQ(store.readNumber(SettingKey::Duration), 9);
    EXPECT_EQ(store.readNumber(SettingKey::Quantize), 23);
    EXPECT_EQ(store.readNumber(SettingKey::Velocity1), 70);
    EXPECT_EQ(store.readNumber(SettingKey::Velocity4), 0);
    EXPECT_EQ(store.readNumber(SettingKey::PatchBayChannel), 9);
    EXPECT_EQ(store.readNumber(SettingKey::ProgramChange), 127);
    EXPECT_EQ(store.readNumber(SettingKey::SendProgramChange), 1);
    EXPECT_EQ(store.readNumber(SettingKey::ProgramChangePause), 500);
}

TEST_F(SetupSheetTest, CancelAndUnopenedPagesStoreNothing) {
    {
        auto sheet = openSheet();
        sheet->midiPage->channel->setCurrentIndex(4);
        sheet->tabs->setCurrentIndex(1);
        type(sheet->drumsetPage->velocities[0], "5");
        press(*sheet, QDialogButtonBox::Cancel);
        EXPECT_EQ(sheet->result(), QDialog::Rejected);
        EXPECT_FALSE(QFile::exists(QString::fromStdString(store.path())));
    }
    auto sheet = openSheet();
    sheet->midiPage->channel->setCurrentIndex(4);
    press(*sheet, QDialogButtonBox::Ok);
    EXPECT_EQ(store.readNumber(SettingKey::Channel), 4);
    // No port chosen: the stored names stay as they were (absent).
    EXPECT_FALSE(stored(SettingKey::MidiIn));
    EXPECT_FALSE(stored(SettingKey::Velocity1));
    EXPECT_FALSE(stored(SettingKey::ProgramChange));
}

TEST_F(SetupSheetTest, WrongNumbersAreRefusedAndKeepThePageOpen) {
    auto sheet = openSheet();
    sheet->tabs->setCurrentIndex(1);
    type(sheet->drumsetPage->velocities[1], "128");
    press(*sheet, QDialogButtonBox::Ok);
    type(sheet->drumsetPage->velocities[1], "12a");
    // Leaving the page is refused as well: the sheet goes back to it.
    sheet->tabs->setCurrentIndex(2);
    EXPECT_EQ(sheet->tabs->currentIndex(), 1);
    type(sheet->drumsetPage->velocities[1], "");
    press(*sheet, QDialogButtonBox::Ok);
    EXPECT_EQ(messages, QStringList({"Please enter an integer between 0 and 127.",
                                     "Please enter an integer.", "Please enter an integer."}));
    EXPECT_NE(sheet->result(), QDialog::Accepted);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(store.path())));

    type(sheet->drumsetPage->velocities[1], "+64");
    sheet->tabs->setCurrentIndex(2);
    type(sheet->patchBayPage->program, "-1");
    press(*sheet, QDialogButtonBox::Ok);
    EXPECT_EQ(messages.last(), "Please enter an integer between 0 and 127.");
    type(sheet->patchBayPage->program, "99999999999999999999");
    press(*sheet, QDialogButtonBox::Ok);
    EXPECT_EQ(messages.last(), "Please enter an integer between 0 and 127.");
    type(sheet->patchBayPage->program, "3");
    type(sheet->patchBayPage->pause, "501");
    press(*sheet, QDialogButtonBox::Ok);
    EXPECT_EQ(messages.last(), "Please enter an integer between 0 and 500.");
    type(sheet->patchBayPage->pause, "20");
    press(*sheet, QDialogButtonBox::Ok);
    EXPECT_EQ(sheet->result(), QDialog::Accepted);
    EXPECT_EQ(store.readNumber(SettingKey::Velocity2), 64);
    EXPECT_EQ(store.readNumber(SettingKey::ProgramChange), 3);
}

TEST_F(SetupSheetTest, ArrowsStepWithinTheRange) {
    auto sheet = openSheet();
    SetupIntegerEdit* edit = sheet->patchBayPage->program;
    type(edit, "127");
    edit->stepBy(1);
    EXPECT_EQ(edit->fieldText(), "127");
    type(edit, "300");
    edit->stepBy(-1);
    EXPECT_EQ(edit->fieldText(), "126");
    type(edit, "x");
    edit->stepBy(-1);
    EXPECT_EQ(edit->fieldText(), "0");
    edit->stepBy(1000);
    EXPECT_EQ(edit->fieldText(), "127");
}

// The page keys work from every kind of control, and the control keeps its value.
TEST_F(SetupSheetTest, CtrlTabAndCtrlPageKeysSwitchPagesFromAnyControl) {
    auto sheet = openSheet();
    sheet->midiPage->inPort->setCurrentIndex(1);
    sheet->show();
    QApplication::setActiveWindow(sheet.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(sheet.get()));
    struct Control {
        const char* what;
        int page;
        QWidget* widget;
        std::function<std::string()> value;
    };
    const auto comboText = [](QComboBox* box) {
        return [box] { return box->currentText().toStdString(); };
    };
    const auto fieldText = [](SetupIntegerEdit* edit) {
        return [edit] { return edit->fieldText().toStdString(); };
    };
    QCheckBox* send = sheet->patchBayPage->send;
    const Control controls[] = {
        {"list", 0, sheet->midiPage->inPort, comboText(sheet->midiPage->inPort)},
        {"list", 1, sheet->drumsetPage->quantize, comboText(sheet->drumsetPage->quantize)},
        {"number", 1, sheet->drumsetPage->velocities[1],
         fieldText(sheet->drumsetPage->velocities[1])},
        {"check box", 2, send, [send] { return std::to_string(send->isChecked()); }},
        {"number", 2, sheet->patchBayPage->program, fieldText(sheet->patchBayPage->program)},
    };
    struct Key {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int step;
    };
    const Key keys[] = {{Qt::Key_Tab, Qt::ControlModifier, 1},
                        {Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier, -1},
                        {Qt::Key_PageDown, Qt::ControlModifier, 1},
                        {Qt::Key_PageUp, Qt::ControlModifier, -1}};
    for (const Control& control : controls) {
        for (const Key& key : keys) {
            SCOPED_TRACE(std::string(control.what) + " on page " + std::to_string(control.page) +
                         ", " + QKeySequence(key.key | key.modifiers).toString().toStdString());
            sheet->tabs->setCurrentIndex(control.page);
            control.widget->setFocus();
            ASSERT_TRUE(control.widget->hasFocus());
            const std::string before = control.value();
            QTest::keyClick(control.widget, key.key, key.modifiers);
            EXPECT_EQ(sheet->tabs->currentIndex(), (control.page + key.step + 3) % 3);
            EXPECT_EQ(control.value(), before);
        }
    }
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(SetupSheetTest, AStoredPortNameSelectsTheFirstItemItBeginsWithIgnoringCase) {
    store.writeText(SettingKey::MidiIn, "midi yoke");
    store.writeText(SettingKey::MidiOut, "Pulvex Box Two");
    auto sheet = openSheet();
    EXPECT_EQ(sheet->midiPage->inPort->currentIndex(), 1);
    EXPECT_EQ(sheet->midiPage->outPort->currentIndex(), -1);
    press(*sheet, QDialogButtonBox::Ok);
    // OK turns the prefix into the full name; a name that matched nothing stays.
    EXPECT_EQ(store.readText(SettingKey::MidiIn), "MIDI Yoke In 1");
    EXPECT_EQ(store.readText(SettingKey::MidiOut), "Pulvex Box Two");

    EXPECT_EQ(findByPrefix({"ab", "abc"}, "ABC"), 1);
    EXPECT_EQ(findByPrefix({"ab"}, "abc"), -1);
    EXPECT_EQ(findByPrefix({"ab"}, ""), -1);
    EXPECT_EQ(findByPrefix({}, "a"), -1);
}

TEST_F(SetupSheetTest, StoredValuesOutsideTheListsSelectNothingAndStayAsTheyWere) {
    store.writeNumber(SettingKey::Channel, 20);
    store.writeNumber(SettingKey::Duration, 1);
    store.writeNumber(SettingKey::Quantize, 24);
    store.writeNumber(SettingKey::PatchBayChannel, -3);
    auto sheet = openSheet();
    EXPECT_EQ(sheet->midiPage->channel->currentIndex(), -1);
    sheet->tabs->setCurrentIndex(1);
    EXPECT_EQ(sheet->drumsetPage->duration->currentIndex(), -1);
    EXPECT_EQ(sheet->drumsetPage->quantize->currentIndex(), -1);
    sheet->tabs->setCurrentIndex(2);
    EXPECT_EQ(sheet->patchBayPage->channel->currentIndex(), -1);
    press(*sheet, QDialogButtonBox::Ok);
    EXPECT_EQ(store.readNumber(SettingKey::Channel), 20);
    EXPECT_EQ(store.readNumber(SettingKey::Duration), 1);
    EXPECT_EQ(store.readNumber(SettingKey::Quantize), 24);
    EXPECT_EQ(store.readNumber(SettingKey::PatchBayChannel), -3);
}

TEST_F(SetupSheetTest, AProfileThatCannotBeWrittenIsReportedAndTheSheetStaysOpen) {
    std::ofstream(dir.file("plain-file")) << "x";
    const std::string path = dir.file("plain-file") + "/Pulvex.ini";
    pulvex::SettingsStore blocked(path);
    CSetupSheet sheet(blocked, nullptr, [] { return kPorts; });
    sheet.message = [this](QWidget*, const QString& text) { messages << "refused: " + text; };
    sheet.failure = [this](QWidget*, const QString& text) { messages << text; };
    sheet.show();
    sheet.midiPage->channel->setCurrentIndex(3);
    press(sheet, QDialogButtonBox::Ok);
    EXPECT_TRUE(sheet.isVisible());
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0].toStdString(), "The settings could not be saved.\nCannot write \"" +
                                             path + "\": a part of the path is not a folder");
    // Once the folder can be made, OK stores what the user chose.
    std::filesystem::remove(dir.file("plain-file"));
    press(sheet, QDialogButtonBox::Ok);
    EXPECT_EQ(sheet.result(), QDialog::Accepted);
    EXPECT_EQ(blocked.readNumber(SettingKey::Channel), 3);
}

TEST(SetupValues, IntegerFieldsReadLikeTheEditsOfTheFramework) {
    using Outcome = ParsedInteger::Outcome;
    EXPECT_EQ(parseInteger("  17\t", 0, 127).value, 17);
    EXPECT_EQ(parseInteger("-0", 0, 127).outcome, Outcome::Valid);
    for (const char* text : {"", " ", "+", "-", "1 2", "0x10", "7.0", "1e2"})
        EXPECT_EQ(parseInteger(text, 0, 127).outcome, Outcome::NotInteger) << text;
    for (const char* text : {"128", "-1", "00000000000000000000000000128"})
        EXPECT_EQ(parseInteger(text, 0, 127).outcome, Outcome::OutOfRange) << text;
    EXPECT_EQ(integerMessage(parseInteger("5", 0, 127), 0, 127), "");
}

// The lists come from the MIDI service: a module's ports appear by their listed names, and a
// lower-case prefix of such a name selects it.
TEST(SetupSheetOnTheBus, ListsThePortsOfTheMidiService) {
    midi::MemoryBus bus;
    midi::ServiceOverride onBus(bus);
    std::string error;
    const auto moduleOut = midi::MidiOutput::open({"Pulvex Out", "MIDI Out", {}, false}, error);
    const auto moduleIn = midi::MidiInput::open({"Pulvex In", "MIDI In", {}, false}, error);
    ASSERT_TRUE(moduleOut && moduleIn) << error;
    testing_support::TempDir dir;
    pulvex::SettingsStore store(dir.file("Pulvex.ini"));
    store.writeText(SettingKey::MidiIn, "pulvex out");
    CSetupSheet sheet(store);
    EXPECT_EQ(sheet.midiPage->inPort->currentText(), "Pulvex Out:MIDI Out");
    const int out = sheet.midiPage->outPort->findText("Pulvex In:MIDI In");
    ASSERT_GE(out, 0);
    sheet.midiPage->outPort->setCurrentIndex(out);
    sheet.buttons->button(QDialogButtonBox::Ok)->click();
    EXPECT_EQ(store.readText(SettingKey::MidiIn), "Pulvex Out:MIDI Out");
    EXPECT_EQ(store.readText(SettingKey::MidiOut), "Pulvex In:MIDI In");
}

} // namespace
