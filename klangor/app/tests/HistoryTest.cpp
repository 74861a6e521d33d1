// The main window as an editor: undo and redo of every kind of step, the changed mark and the save
// question, compare, the window's keys from inside a field, and F1's own help window.
#include "EditPage.h"
#include "GuiTestSupport.h"
#include "HelpWindow.h"
#include "Main.h"
#include "midi/MemoryBus.h"
#include "midi/MidiInput.h"
#include "morvex/VoiceFile.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>

using namespace klangor;
using namespace std::chrono_literals;

namespace {

// The window on the start folder's voice, sending to "Morvex:in" on an in-memory bus.
class HistoryTest : public ::testing::Test {
public: // the table of steps below works on the fixture
    void SetUp() override {
        std::string error;
        synth = midi::MidiInput::open({"Morvex", "in", std::nullopt, false}, error, bus);
        ASSERT_TRUE(synth) << error;
        // The pages' pictures and the manual, as installed beside the voice.
        for (const char* folder : {"bmp", "help"})
            std::filesystem::copy(dataDir() / folder, dir.path() / folder);
        window.askToSave = [this](QWidget*, const QString& text) {
            questions.push_back(text);
            return answer;
        };
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        ASSERT_TRUE(window.Initialize());
        window.session().useMidiSettings({"Morvex:in", "", 1, 0, false});
    }
    void TearDown() override { EXPECT_TRUE(window.session().sender().waitUntilIdle(5s)); }

    QAction* action(const char* name) { return window.findChild<QAction*>(name); }
    template <class W>
    W* control(const char* name) {
        W* widget = window.activePageWidget()->findChild<W*>(name);
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    morvex::VoiceSnapshot voice() const { return morvex::VoiceSnapshot::of(state); }
    // The dumps that reached the synthesizer since the last call.
    std::size_t dumpsReceived() {
        EXPECT_TRUE(window.session().sender().waitUntilIdle(5s));
        std::size_t count = 0;
        midi::Bytes message;
        while (synth->next(message, 50ms) == midi::MidiInput::Outcome::Message) ++count;
        return count;
    }

    midi::MemoryBus bus;
    midi::ServiceOverride guard{bus};
    std::shared_ptr<midi::MidiInput> synth;
    testing_support::TempDir dir;
    StartDirFixture start{dir, "Morvex:in"};
    morvex::MorvexState state;
    THaupt window{state};
    ReportCapture boxes{window.session()};
    NoteCapture notes{window.session()};
    std::vector<QString> questions;
    QMessageBox::StandardButton answer = QMessageBox::No;
};

} // namespace

// What every spin box of the open page shows.
std::vector<int> shownValues(const QWidget* page) {
    std::vector<int> values;
    for (const QSpinBox* box : page->findChildren<QSpinBox*>()) values.push_back(box->value());
    return values;
}

TEST_F(HistoryTest, EveryKindOfStepUndoesAndRedoesAndThePageFollows) {
    struct Case {
        const char* page;
        const char* step; // how the Edit menu's Undo begins
        std::function<void(HistoryTest&)> change;
    };
    const Case cases[] = {
        {"FCommon", "Undo Pitch Bend", [](HistoryTest& t) { t.control<QSpinBox>("PitchBend")->setValue(9); }},
        {"FFMEdit", "Undo Random FM B",
         [](HistoryTest& t) { t.control<QPushButton>("RandFMB")->click(); }},
        {"FVector", "Undo Zero Level",
         [](HistoryTest& t) { t.control<QPushButton>("ZeroLev")->click(); }},
        {"FDirectEd", "Undo Direct Edit",
         [](HistoryTest& t) {
             t.control<QSpinBox>("ASCIIEdit1")->setValue(77);
             t.control<QPushButton>("SendDirect")->click();
         }},
        {"FCommon", "Undo Input File",
         [](HistoryTest& t) {
             // A file of another voice, read over the one shown.
             morvex::MorvexState other = t.state;
             other.voiceParams.pitchBend = 3;
             morvex::EncodeVoice(other);
             ASSERT_FALSE(morvex::SaveVoiceFile(other, t.dir.file("other.syx")));
             t.window.fileDialogs.open = [&t](QWidget*, const QString&) {
                 return QString::fromStdString(t.dir.file("other.syx"));
             };
             t.window.SourceFile1Click();
             t.window.showPage("FCommon");
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.page + std::string(" ") + c.step);
        window.showPage(c.page);
        const morvex::VoiceSnapshot before = voice();
        const std::vector<int> shownBefore = shownValues(window.activePageWidget());
        c.change(*this);
        QApplication::processEvents(); // a committed value is stored once its events are through
        const morvex::VoiceSnapshot after = voice();
        ASSERT_FALSE(morvex::sameVoice(before, after));
        const std::vector<int> shownAfter = shownValues(window.activePageWidget());
        ASSERT_TRUE(action("Undo")->isEnabled());
        EXPECT_TRUE(action("Undo")->text().startsWith(c.step))
            << action("Undo")->text().toStdString();

        action("Undo")->trigger();
        EXPECT_TRUE(morvex::sameVoice(voice(), before));
        EXPECT_EQ(shownValues(window.activePageWidget()), shownBefore);
        ASSERT_TRUE(action("Redo")->isEnabled());
        action("Redo")->trigger();
        EXPECT_TRUE(morvex::sameVoice(voice(), after));
        EXPECT_EQ(shownValues(window.activePageWidget()), shownAfter);
    }
    EXPECT_TRUE(boxes.reports.empty());
}

TEST_F(HistoryTest, UndoSendsTheRestoredVoiceOnlyWhileSendingWhileEditing) {
    window.showPage("FCommon");
    auto* box = control<QSpinBox>("PitchBend");
    for (const bool sendWhileEditing : {false, true}) {
        SCOPED_TRACE(sendWhileEditing);
        window.session().useMidiSettings({"Morvex:in", "", 1, 0, sendWhileEditing});
        box->setValue(box->value() == 4 ? 5 : 4);
        QApplication::processEvents();
        dumpsReceived();
        action("Undo")->trigger();
        EXPECT_EQ(dumpsReceived(), sendWhileEditing ? 1u : 0u);
    }
}

TEST_F(HistoryTest, AChangedVoiceIsMarkedAndAskedAboutBeforeItIsLeft) {
    EXPECT_FALSE(window.isWindowModified());
    window.showPage("FCommon");
    control<QSpinBox>("PitchBend")->setValue(11);
    QApplication::processEvents();
    EXPECT_TRUE(window.isWindowModified());
    EXPECT_TRUE(shownCaption(window).startsWith("Klangor for Morvex*"));
    action("Undo")->trigger();
    EXPECT_FALSE(window.isWindowModified()) << "back where it was loaded";
    action("Redo")->trigger();

    // Exit: Cancel keeps the window and the voice; Yes saves, then closes.
    struct Case {
        QMessageBox::StandardButton answer;
        bool closes;
        bool saved;
    };
    for (const Case c :
         {Case{QMessageBox::Cancel, false, false}, Case{QMessageBox::Yes, true, true}}) {
        questions.clear();
        answer = c.answer;
        window.show();
        EXPECT_EQ(window.close(), c.closes);
        EXPECT_EQ(questions, std::vector<QString>{"Save changes to backup.syx?"});
        EXPECT_EQ(std::filesystem::exists(dir.file("backup.syx")), c.saved);
    }
    EXPECT_FALSE(window.isWindowModified());
    questions.clear();
    window.show();
    EXPECT_TRUE(window.close());
    EXPECT_TRUE(questions.empty()) << "saved: nothing to ask";
}

TEST_F(HistoryTest, CompareShowsAndSendsTheOriginalAndNeverEntersTheHistory) {
    window.showPage("FCommon");
    auto* box = control<QSpinBox>("PitchBend");
    const int original = box->value();
    box->setValue(original == 4 ? 5 : 4);
    QApplication::processEvents();
    const int edited = box->value();
    const int steps = window.session().history().count();
    dumpsReceived();

    QTest::keyClick(box, Qt::Key_K, Qt::ControlModifier);
    EXPECT_TRUE(action("Compare")->isChecked());
    EXPECT_EQ(box->value(), original);
    EXPECT_EQ(state.voiceParams.pitchBend, original);
    EXPECT_FALSE(window.activePageWidget()->isEnabled()) << "read-only while comparing";
    EXPECT_EQ(window.findChild<QLabel*>("CompareNote")->text(),
              "Comparing with the original \u2014 press Ctrl+K to go back");
    EXPECT_EQ(dumpsReceived(), 1u);

    // Another page shows the original too, read-only.
    window.showPage("FVector");
    EXPECT_FALSE(window.activePageWidget()->isEnabled());
    window.showPage("FCommon");

    QTest::keyClick(&window, Qt::Key_K, Qt::ControlModifier);
    EXPECT_FALSE(action("Compare")->isChecked());
    EXPECT_EQ(control<QSpinBox>("PitchBend")->value(), edited);
    EXPECT_EQ(state.voiceParams.pitchBend, edited);
    EXPECT_TRUE(window.activePageWidget()->isEnabled());
    EXPECT_TRUE(window.findChild<QLabel*>("CompareNote")->isHidden());
    EXPECT_EQ(dumpsReceived(), 1u);
    EXPECT_EQ(window.session().history().count(), steps);
}

TEST_F(HistoryTest, PageKeysWorkFromInsideAField) {
    struct Case {
        const char* from;
        const char* field;
        QKeyCombination key;
        const char* opens;
    };
    const Case cases[] = {
        {"FCommon", "VName", Qt::CTRL | Qt::Key_V, "FVector"},
        {"FVector", "LevelSpeed", Qt::CTRL | Qt::Key_C, "FCommon"},
        {"FCommon", "PitchBend", Qt::CTRL | Qt::Key_E, "FEnvelope"},
        {"FCommon", "VName", Qt::CTRL | Qt::Key_PageDown, "FVector"},
        {"FCommon", "PitchBend", Qt::CTRL | Qt::Key_PageUp, "FDirectEd"},   // round the start
        {"FDirectEd", "Position1", Qt::CTRL | Qt::Key_PageDown, "FCommon"}, // round the end
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.from + std::string(" ") + c.field + " > " + c.opens);
        window.showPage(c.from);
        QWidget* field = control<QWidget>(c.field);
        ASSERT_NE(field, nullptr);
        field->setFocus();
        QWidget* focused = QApplication::focusWidget();
        ASSERT_TRUE(focused == field || field->isAncestorOf(focused));
        QTest::keyClick(focused, c.key.key(), c.key.keyboardModifiers());
        EXPECT_EQ(window.activePage(), c.opens);
    }
}

TEST_F(HistoryTest, F1ShowsThePagesManualInKlangorsOwnWindow) {
    window.showPage("FTone");
    QTest::keyClick(control<QWidget>("ComboBox1"), Qt::Key_F1);
    ASSERT_NE(window.helpWindow(), nullptr);
    EXPECT_TRUE(window.helpWindow()->isVisible());
    EXPECT_TRUE(window.helpWindow()->windowTitle().contains("Tone"))
        << window.helpWindow()->windowTitle().toStdString();
    EXPECT_EQ(notes.helpPages.size(), 1u);
}
