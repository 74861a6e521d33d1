#include "FMEdit.h"
#include "GuiTestSupport.h"
#include "Vector.h"

#include "testing/MidiPeer.h"

#include <QPushButton>
#include <QTableWidget>
#include <gtest/gtest.h>

#include <chrono>

using namespace klangor;
using namespace std::chrono_literals;

namespace {

constexpr int kHeader = 16; // VoiceData offset n travels at n + 16 in the dump

struct VectorFmOnWire : ::testing::Test {
    VectorFmOnWire() {
        state.startDir = dir.path().string();
        loaded = loadInitialVoice(state);
        if (peer.outputIndex() >= 0)
            state.midiDevice = static_cast<std::uint8_t>(peer.outputIndex());
    }
    void SetUp() override {
        ASSERT_TRUE(loaded);
        ASSERT_TRUE(peer.isOpen());
        ASSERT_GE(peer.outputIndex(), 0);
    }

    testing_support::TempDir dir;
    StartDirFixture start{dir};
    testing_support::MidiInputPeer peer{
        testing_support::MidiInputPeer::uniqueName("Klangor Vector FM Peer")};
    morvex::MorvexState state;
    Session session{state};
    ReportCapture boxes{session};
    NoteCapture notes{session};
    bool loaded = false;
};

} // namespace

TEST_F(VectorFmOnWire, VectorRightClickSendsTheTypedStep) {
    TFVector page(session);
    page.show();
    page.InitVars();
    page.findChild<QTableWidget*>("StringGrid1")->item(0, 0)->setText("5");
    page.findChild<QTableWidget*>("StringGrid2")->item(1, 2)->setText("Rep");
    const QPoint background = backgroundPoint(&page);
    ASSERT_FALSE(background.isNull());
    rightClick(&page, background);
    const auto messages = peer.waitForMessages(1, 5s);
    ASSERT_EQ(messages.size(), 1u);
    ASSERT_EQ(messages[0].size(), 592u);
    EXPECT_EQ(messages[0][kHeader + 173], 5 + 31);
    EXPECT_EQ(messages[0][kHeader + 371 + 4], 1); // 254: flag, then 126
    EXPECT_EQ(messages[0][kHeader + 371 + 5], 126);
    EXPECT_TRUE(notes.notes.empty());
}

TEST_F(VectorFmOnWire, FmCopyAndLeftClickSendNothingARightClickSendsTheCopy) {
    TFFMEdit page(session);
    page.show();
    page.InitVars();
    page.findChild<QPushButton*>("CopyBD1")->click();
    const QPoint background = backgroundPoint(&page);
    ASSERT_FALSE(background.isNull());
    leftClick(&page, background);
    EXPECT_TRUE(peer.waitForMessages(1, 300ms).empty());

    rightClick(&page, background);
    const auto messages = peer.waitForMessages(1, 5s);
    ASSERT_EQ(messages.size(), 1u);
    ASSERT_EQ(messages[0].size(), 592u);
    const auto& dump = messages[0];
    EXPECT_EQ(dump[kHeader + 129], 1);
    // Every position the page shows, and the flag that goes with position 6.
    for (int p : {1, 2, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 20})
        EXPECT_EQ(dump[kHeader + 136 + p], dump[kHeader + 62 + p]) << "position " << p;
}
