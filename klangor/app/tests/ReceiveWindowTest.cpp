// File > Receive from Morvex on the in-memory bus: a whole valid voice becomes the current one and
// the open page shows it; a failure or Cancel leaves everything as it was.
#include "EditPage.h"
#include "GuiTestSupport.h"
#include "Main.h"
#include "midi/MemoryBus.h"
#include "morvex/Checksum.h"
#include "morvex/ReceiveVoice.h"
#include "morvex/VoiceCodec.h"
#include "morvex/VoiceFile.h"
#include "testing/MidiDuplexPeer.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

using namespace klangor;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

// The initial voice renamed "Received", as the synthesizer sends it.
midi::Bytes receivedDump(morvex::MorvexState state) {
    const std::string name = "Received";
    std::copy(name.begin(), name.end(), state.voiceName.begin());
    morvex::EncodeVoice(state, {});
    morvex::UpdateChecksum(state.voiceData);
    return morvex::dumpBytes(state);
}

std::string voiceName(const morvex::MorvexState& state) {
    return std::string(state.voiceName.begin(), state.voiceName.end());
}

// Presses Cancel in the modal window once it is up.
void cancelSoon() {
    QTimer::singleShot(100ms, [] {
        QWidget* progress = QApplication::activeModalWidget();
        ASSERT_NE(progress, nullptr);
        for (QPushButton* button : progress->findChildren<QPushButton*>()) button->click();
    });
}

} // namespace

TEST(ReceiveWindow, OnlyAWholeValidVoiceChangesTheWindow) {
    enum class Answer { Voice, BadCheck, Nothing };
    struct Case {
        const char* name;
        Answer answer;
        bool cancel;
        std::string box; // empty: none
    };
    const Case cases[] = {
        {"a valid voice", Answer::Voice, false, ""},
        {"bad check bytes", Answer::BadCheck, false, "The Morvex sent a damaged voice"},
        {"silence", Answer::Nothing, false, "The Morvex did not answer within 0.3 s"},
        {"cancel", Answer::Nothing, true, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        midi::MemoryBus bus;
        midi::ServiceOverride guard{bus};
        morvex::MorvexState state;
        midi::Bytes dump;
        testing_support::MidiDuplexPeer synth([&](const midi::Bytes&) {
            return c.answer == Answer::Nothing ? std::nullopt : std::optional(dump);
        });
        testing_support::TempDir dir;
        StartDirFixture start{dir, synth.wireboxOut}; // morvex.dev names the synthesizer
        ASSERT_TRUE(loadInitialVoice(state));
        dump = receivedDump(state);
        if (c.answer == Answer::BadCheck) dump[590] = (dump[590] + 1) & 0x7F;

        THaupt window(state);
        ReportCapture boxes{window.session()};
        NoteCapture notes{window.session()};
        window.show();
        ASSERT_TRUE(window.Initialize());
        window.showPage("FCommon");
        const auto* name = window.activePageWidget()->findChild<QLineEdit*>("VName");
        ASSERT_NE(name, nullptr);
        const QString caption = shownCaption(window);
        const std::string nameBefore = voiceName(state);

        window.receiveTimeout = c.cancel ? 10s : 300ms;
        if (c.cancel) cancelSoon();
        const auto begun = Clock::now();
        window.ReceiveClick();
        EXPECT_LT(Clock::now() - begun, 3s);

        if (c.box.empty()) {
            EXPECT_TRUE(boxes.reports.empty());
        } else {
            ASSERT_EQ(boxes.reports.size(), 1u);
            EXPECT_NE(boxes.reports[0].text.find(c.box), std::string::npos)
                << boxes.reports[0].text;
        }
        if (c.answer != Answer::Voice || c.cancel) {
            EXPECT_EQ(voiceName(state), nameBefore);
            EXPECT_EQ(name->text().toStdString(), "Init Pad");
            EXPECT_EQ(shownCaption(window), caption);
            continue;
        }
        EXPECT_EQ(voiceName(state), "Received");
        EXPECT_EQ(name->text(), "Received");
        EXPECT_TRUE(shownCaption(window).contains("   received from Morvex"))
            << shownCaption(window).toStdString();
        window.SaveDestinationFile1Click(); // F2 as for a file: "backup.syx"
        EXPECT_TRUE(shownCaption(window).contains("   backup.syx"))
            << shownCaption(window).toStdString();
        morvex::MorvexState saved;
        ASSERT_FALSE(morvex::LoadVoiceFile(saved, "backup.syx"));
        morvex::DecodeVoice(saved);
        EXPECT_EQ(voiceName(saved), "Received");
    }
}
