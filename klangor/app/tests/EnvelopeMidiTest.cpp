// The Envelope page's random envelopes as they reach the synthesizer: one whole dump per press,
// and what arrives is what the page now shows.
#include "Envelope.h"
#include "GuiTestSupport.h"

#include "morvex/VoiceCodec.h"
#include "testing/MidiPeer.h"

#include <QPushButton>
#include <QSpinBox>
#include <gtest/gtest.h>

#include <chrono>

using namespace klangor;
using namespace std::chrono_literals;

TEST(EnvelopeOnWire, RandomEnvelopesAreSentAsShown) {
    testing_support::TempDir dir;
    StartDirFixture start{dir};
    testing_support::MidiInputPeer peer{
        testing_support::MidiInputPeer::uniqueName("Klangor Envelope Peer")};
    ASSERT_GE(peer.outputIndex(), 0);
    morvex::MorvexState state;
    Session session{state};
    ReportCapture boxes{session};
    NoteCapture notes{session};
    state.startDir = dir.path().string();
    ASSERT_TRUE(loadInitialVoice(state));
    state.startDir = dataDir().string(); // the scaling pictures
    state.midiDevice = static_cast<std::uint8_t>(peer.outputIndex());

    TFEnvelope page(session);
    page.show();
    page.InitVars();
    page.findChild<QPushButton*>("RandEnv")->click();

    const auto messages = peer.waitForMessages(1, 3s);
    ASSERT_EQ(messages.size(), 1u);
    ASSERT_EQ(messages[0].size(), 592u);
    EXPECT_TRUE(
        std::equal(messages[0].begin() + 16, messages[0].end() - 1, state.voiceData.begin()));
    EXPECT_EQ(messages[0].back(), 0xF7);

    // What was sent decodes to the levels the page shows, each below its attack level.
    morvex::MorvexState sent;
    std::copy(messages[0].begin() + 16, messages[0].end() - 1, sent.voiceData.begin());
    morvex::DecodeVoice(sent);
    for (int e = 0; e < morvex::kElementCount; ++e) {
        const QString letter(QChar('A' + e));
        EXPECT_EQ(page.findChild<QSpinBox*>("D1L" + letter)->value(),
                  sent.voiceParams.decay1Level[e])
            << e;
        EXPECT_LE(sent.voiceParams.decay1Level[e], sent.voiceParams.attackLevel[e]) << e;
    }
    EXPECT_TRUE(boxes.reports.empty());
}
