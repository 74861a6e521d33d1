// A whole reception from the menu, against the virtual Pulvex module on the private MIDI bus,
// through the real Wirebox: the dialogs the user answers, what the document holds afterwards,
// and what each failure shows.

#include "PulvexWindowsFixture.h"
#include "ReadDialogs.h"
#include "testing/EmulatorProcess.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QRadioButton>
#include <QSpinBox>
#include <QStatusBar>

using namespace pulvex_app;

class ReceptionWindows : public PulvexWindows {
protected:
    void SetUp() override {
        PulvexWindows::SetUp();
        startApp();
        // The user's answers: OK to the ready prompt, and the kit chosen below.
        answerDialog = [this](QDialog& dialog) {
            if (auto* kit = qobject_cast<CRead_Kit*>(&dialog)) {
                EXPECT_TRUE(kit->internalButton()->isChecked());
                EXPECT_EQ(kit->kitNumber(), 1);
                if (!chooseKit) return int(QDialog::Rejected);
                kit->presetButton()->setChecked(true);
                kit->kitNumberBox()->setValue(kitNumber);
            }
            return int(QDialog::Accepted);
        };
    }

    void startModule(std::vector<std::string> extra = {}) {
        ASSERT_TRUE(module.start(MIDI_EMULATOR, "pulvex", extra, dir.file("module.txt")));
        app->settings().writeText(pulvex::SettingKey::MidiIn, module.outPort());
        app->settings().writeText(pulvex::SettingKey::MidiOut, module.inPort());
    }

    void receive() { frame().action(ID_FILE_RECEIVE)->trigger(); }

    int count(const QString& title) {
        return static_cast<int>(std::count(shownDialogs.begin(), shownDialogs.end(), title));
    }

    testing_support::EmulatorProcess module;
    bool chooseKit = true;
    int kitNumber = 1;
};

TEST_F(ReceptionWindows, FirstReceiveReadsTheNamesTheSecondGoesStraightToTheKit) {
    startModule();
    receive();
    EXPECT_EQ(count("Ready to read Pulvex configuration"), 1);
    EXPECT_EQ(count("Read a Pulvex Drum Kit"), 1);
    EXPECT_TRUE(messages.empty()) << messages[0].text.toStdString();
    EXPECT_TRUE(app->names().namesRetrieved);
    ASSERT_TRUE(doc().HasKit());
    EXPECT_EQ(doc().title, "Rock_1");
    EXPECT_TRUE(doc().modified);
    EXPECT_EQ(frame().windowTitle(), "Rock_1 - Pulvex for Windows");
    EXPECT_EQ(countPane(), "000");
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(frame().findChild<CRead_Progress*>(), nullptr);
    EXPECT_EQ(frame().statusBar()->currentMessage(), "Finished retrieving names");

    kitNumber = 2;
    receive();
    EXPECT_EQ(count("Ready to read Pulvex configuration"), 1);
    EXPECT_EQ(count("Read a Pulvex Drum Kit"), 2);
    EXPECT_EQ(doc().title, "Rock_2");

    // Cancel in the kit dialog leaves the document as it was.
    chooseKit = false;
    const auto keys = doc().keys;
    receive();
    EXPECT_EQ(count("Ready to read Pulvex configuration"), 1);
    EXPECT_TRUE(doc().keys == keys);
    EXPECT_EQ(doc().title, "Rock_2");
}

TEST_F(ReceptionWindows, NoSecondExchangeWhileOneRuns) {
    startModule();
    answerDialog = [this](QDialog& dialog) {
        // The ready prompt comes while the ports are open: a second receive does nothing.
        if (dialog.windowTitle() == "Ready to read Pulvex configuration") {
            EXPECT_TRUE(app->exchangeRunning());
            receive();
        }
        return int(qobject_cast<CRead_Kit*>(&dialog) ? QDialog::Rejected : QDialog::Accepted);
    };
    receive();
    EXPECT_EQ(count("Ready to read Pulvex configuration"), 1);
    EXPECT_EQ(count("Read a Pulvex Drum Kit"), 1);
    EXPECT_FALSE(app->exchangeRunning());
}

TEST_F(ReceptionWindows, AReplyTooShortIsACommunicationError) {
    startModule({"--fault", "short"}); // the names come whole, the kit too short
    receive();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "MIDI communication error");
    EXPECT_EQ(messages[0].icon, QMessageBox::Critical);
    EXPECT_FALSE(doc().HasKit());
    EXPECT_EQ(doc().title, "DrmMap");
    EXPECT_TRUE(app->names().namesRetrieved);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(ReceptionWindows, OtherTrafficIsSkipped) {
    startModule({"--fault", "garbage"}); // notes, clocks and a foreign SysEx before each reply
    receive();
    EXPECT_TRUE(messages.empty()) << messages[0].text.toStdString();
    EXPECT_EQ(doc().title, "Rock_1");
}

TEST_F(ReceptionWindows, MissingPortsShowWireboxsMessage) {
    app->settings().writeText(pulvex::SettingKey::MidiIn, "No Such Port");
    app->settings().writeText(pulvex::SettingKey::MidiOut, "No Such Port");
    receive();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].icon, QMessageBox::Critical);
    EXPECT_FALSE(messages[0].text.isEmpty());
    EXPECT_TRUE(shownDialogs.empty());
    EXPECT_FALSE(doc().HasKit());
}

TEST_F(ReceptionWindows, SilentModuleTimesOutAfterTenSeconds) {
    startModule({"--fault", "silent"});
    QElapsedTimer clock;
    clock.start();
    receive();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Pulvex does not respond - check cable and/or configuration");
    EXPECT_GE(clock.elapsed(), 9900);
    EXPECT_LT(clock.elapsed(), 14000);
    EXPECT_FALSE(doc().HasKit());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(frame().findChild<CRead_Progress*>(), nullptr);
    // The names were not read: the next command tries again.
    EXPECT_FALSE(app->names().namesRetrieved);
    EXPECT_EQ(frame().statusBar()->currentMessage(), "Error during reception of data");
}
