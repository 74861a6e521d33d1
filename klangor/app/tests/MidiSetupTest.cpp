// Klangor's own MIDI setup on the in-memory bus: the setup dialog's port lists, ports stored by
// name, and "send while editing" coalescing a burst of edits.
#include "Common.h"
#include "GuiTestSupport.h"
#include "Main.h"
#include "MidiSetupDialog.h"
#include "Sender.h"
#include "midi/MemoryBus.h"
#include "midi/MidiInput.h"
#include "morvex/VoiceFile.h"

#include <QApplication>
#include <QComboBox>
#include <QSpinBox>
#include <QStatusBar>
#include <QTest>
#include <gtest/gtest.h>

using namespace klangor;
using namespace std::chrono_literals;

namespace {

// The synthesizer's input "Morvex:in" on the bus, listed after another program's "Early:in", and
// a settings file of the test's own.
class MidiSetupTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("KLANGOR_INI", (dir.path() / "Klangor.ini").c_str(), 1);
        std::string error;
        early = midi::MidiInput::open({"Early", "in", std::nullopt, false}, error, bus);
        synth = midi::MidiInput::open({"Morvex", "in", std::nullopt, false}, error, bus);
        ASSERT_TRUE(early && synth) << error;
        state.startDir = dataDir().string();
        ASSERT_TRUE(loadInitialVoice(state));
    }
    void TearDown() override {
        bus.hangPuts(false);
        EXPECT_TRUE(session.sender().waitUntilIdle(5s));
        ::unsetenv("KLANGOR_INI");
    }
    // Every dump that reached the synthesizer so far.
    std::vector<midi::Bytes> received() {
        std::vector<midi::Bytes> all;
        midi::Bytes message;
        while (synth->next(message, 100ms) == midi::MidiInput::Outcome::Message)
            all.push_back(message);
        return all;
    }
    static std::vector<std::string> names(midi::Direction direction) {
        return midi::namesOf(midi::service().ports(direction));
    }

    midi::MemoryBus bus;
    midi::ServiceOverride guard{bus};
    testing_support::TempDir dir;
    std::shared_ptr<midi::MidiInput> early, synth;
    morvex::MorvexState state;
    Session session{state};
    ReportCapture boxes{session};
};

} // namespace

TEST_F(MidiSetupTest, PortListsShowThePortsThereAndKeepAStoredOneThatIsNot) {
    struct Case {
        std::string stored;
        QString shown;
    };
    const Case cases[] = {
        {"Morvex:in", "Morvex:in"},
        {"Gone:in", "Gone:in (not connected)"},
        {"", "(none)"},
    };
    for (const Case& c : cases) {
        morvex::MidiSettings settings{c.stored, c.stored, 3, 40, true};
        MidiSetupDialog dialog(settings, names(midi::Direction::Output),
                               names(midi::Direction::Input));
        auto* output = dialog.findChild<QComboBox*>("Output");
        ASSERT_NE(output, nullptr);
        EXPECT_EQ(output->currentText(), c.shown);
        EXPECT_EQ(dialog.chosen(), settings) << "shown and kept until another is picked";
        output->setCurrentIndex(output->findText("Early:in"));
        EXPECT_EQ(dialog.chosen().outputPort, "Early:in");
    }
}

TEST_F(MidiSetupTest, AStoredOutputIsFoundByNameUnlessMorvexDevOfTheUsersFolderNamesOne) {
    MidiSetupDialog dialog({}, names(midi::Direction::Output), names(midi::Direction::Input));
    auto* output = dialog.findChild<QComboBox*>("Output");
    output->setCurrentIndex(output->findText("Morvex:in"));
    ASSERT_TRUE(storeMidiSettings(session, dialog.chosen()));
    EXPECT_EQ(morvex::readMidiSettings(morvex::midiSettingsPath()).outputPort, "Morvex:in");

    std::string error;
    auto other = midi::MidiInput::open({"Other", "in", std::nullopt, false}, error, bus);
    early.reset(); // numbers shift: the synthesizer's input was number 1, is 0 now
    struct Case {
        std::string deviceFile; // empty: none in the data folder
        std::shared_ptr<midi::MidiInput> receiver;
        const char* note;
    };
    const Case cases[] = {
        {"", synth, "Sent \"Init Pad\" to Morvex:in (592 bytes)"},
        {"Other:in", other, "Sent \"Init Pad\" to Other:in (592 bytes)"},
    };
    for (const Case& c : cases) {
        testing_support::TempDir folder;
        StartDirFixture start(folder, c.deviceFile);
        if (c.deviceFile.empty()) std::filesystem::remove(folder.path() / "morvex.dev");
        THaupt window(state);
        ReportCapture windowBoxes{window.session()};
        // As the program starts: the stored setup, then the data folder.
        window.session().useMidiSettings(morvex::readMidiSettings(morvex::midiSettingsPath()));
        window.show();
        ASSERT_TRUE(window.Initialize());
        window.Senden1Click();
        ASSERT_TRUE(window.session().sender().waitUntilIdle(5s));
        midi::Bytes dump;
        ASSERT_EQ(c.receiver->next(dump, 1s), midi::MidiInput::Outcome::Message) << c.note;
        EXPECT_EQ(dump, morvex::dumpBytes(state));
        EXPECT_EQ(window.statusBar()->currentMessage(), c.note);
    }
    EXPECT_TRUE(received().empty()) << "each dump went to one port only";
}

TEST_F(MidiSetupTest, EditsWhileADumpIsOnItsWayAreCoalescedIntoTheNewestVoice) {
    struct Case {
        bool sendWhileEditing;
        int pauseMs;
        bool hang; // the first dump stays on its way through the whole burst
    };
    for (const Case c : {Case{false, 0, true}, Case{true, 0, true}, Case{true, 300, false}}) {
        session.useMidiSettings({"Morvex:in", "", 1, c.pauseMs, c.sendWhileEditing});
        TFCommon page(session);
        page.show();
        page.InitVars();
        auto* box = page.findChild<QSpinBox*>("PitchBend");
        ASSERT_NE(box, nullptr);
        bus.hangPuts(c.hang);
        for (int step = 0; step < 100; ++step) {
            box->setValue(step % 2 ? 12 - step % 12 : step % 12);
            QApplication::processEvents();
        }
        box->setValue(7);
        QApplication::processEvents();
        bus.hangPuts(false);
        ASSERT_TRUE(session.sender().waitUntilIdle(5s));
        const std::vector<midi::Bytes> dumps = received();
        if (!c.sendWhileEditing) {
            EXPECT_TRUE(dumps.empty()) << "off by default: edits send nothing";
            continue;
        }
        // The first edit's dump, then the newest voice once it has gone (and the pause after it).
        ASSERT_GE(dumps.size(), 1u);
        EXPECT_LE(dumps.size(), 2u) << c.pauseMs;
        EXPECT_EQ(state.voiceParams.pitchBend, 7) << "set back to what the page was filled with";
        EXPECT_EQ(dumps.back(), morvex::dumpBytes(state));
    }
}

TEST_F(MidiSetupTest, ATypedValueIsSentOnceItIsCommitted) {
    struct Case {
        const char* typed;
        Qt::Key then; // Enter commits what was typed; a step key steps from it and commits
        int sent;
    };
    session.useMidiSettings({"Morvex:in", "", 1, 0, true});
    for (const Case c : {Case{"11", Qt::Key_Return, 11}, Case{"5", Qt::Key_Up, 6}}) {
        TFCommon page(session);
        page.show();
        page.InitVars();
        auto* box = page.findChild<QSpinBox*>("PitchBend");
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, c.typed);
        QApplication::processEvents();
        ASSERT_TRUE(session.sender().waitUntilIdle(5s));
        EXPECT_TRUE(received().empty()) << "not while typing " << c.typed;
        QTest::keyClick(box, c.then);
        QApplication::processEvents();
        ASSERT_TRUE(session.sender().waitUntilIdle(5s));
        const std::vector<midi::Bytes> dumps = received();
        ASSERT_EQ(dumps.size(), 1u) << c.typed;
        EXPECT_EQ(state.voiceParams.pitchBend, c.sent);
        EXPECT_EQ(dumps[0], morvex::dumpBytes(state));
    }
}
