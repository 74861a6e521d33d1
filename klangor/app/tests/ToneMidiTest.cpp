#include "GuiTestSupport.h"
#include "Tone.h"

#include "morvex/ScaleTables.h"
#include "testing/MidiPeer.h"

#include <QPushButton>
#include <QSpinBox>
#include <gtest/gtest.h>

using namespace klangor;
using namespace std::chrono_literals;

TEST(ToneOnTheWire, BackgroundClickAndRandomButtonSendOneDumpEach) {
    testing_support::TempDir dir;
    StartDirFixture start(dir);
    testing_support::MidiInputPeer synth(testing_support::MidiInputPeer::uniqueName("Tone Synth"));
    ASSERT_TRUE(synth.isOpen());
    morvex::MorvexState state;
    Session session{state};
    ReportCapture boxes{session};
    NoteCapture notes{session};
    state.startDir = dir.path().string();
    ASSERT_TRUE(loadInitialVoice(state));
    state.midiDevice = static_cast<std::uint8_t>(synth.outputIndex());

    TFTone page(session);
    page.resize(1200, 700);
    page.show();
    page.InitVars();

    // Stepping a box is editing, not sending.
    rightClick(page.findChild<QSpinBox*>("Volume3"));
    EXPECT_TRUE(synth.waitForMessages(1, 300ms).empty());

    page.findChild<QSpinBox*>("Volume2")->setValue(40);
    rightClick(&page, QPoint(2, 2));
    auto dumps = synth.waitForMessages(1, 5s);
    ASSERT_EQ(dumps.size(), 1u);
    ASSERT_EQ(dumps[0].size(), 592u);
    EXPECT_EQ(dumps[0][16 + 81], morvex::Scale99To127(99 - 40)); // element B's volume byte

    page.findChild<QPushButton*>("RandLFO")->click();
    dumps = synth.waitForMessages(2, 5s);
    ASSERT_EQ(dumps.size(), 2u);
    EXPECT_EQ(dumps[1][16 + 31] % 16, page.findChild<QSpinBox*>("LFOAMA")->value());
    EXPECT_TRUE(notes.notes.empty());
    EXPECT_TRUE(boxes.reports.empty());
}
