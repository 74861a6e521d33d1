// The buttons of the pages, on the wire: after any of them the page shows exactly the voice that
// was sent, so storing the page at once (F12) sends the same dump again.
#include "EditPage.h"
#include "GuiTestSupport.h"
#include "Main.h"
#include "testing/MidiPeer.h"

#include <QComboBox>
#include <QPushButton>
#include <gtest/gtest.h>

#include <sstream>

using namespace klangor;
using namespace std::chrono_literals;
using testing_support::Bytes;

namespace {

struct ButtonCase {
    const char* page;
    const char* control; // a push button, or a drop-down list whose last entry is chosen
    bool sends;          // the button sends by itself; otherwise F12 sends what it did to the page
};

const ButtonCase kButtons[] = {
    {"FTone", "RandVoices", true},    {"FTone", "RandLFO", true},
    {"FVector", "RandLev", true},     {"FVector", "RandDet", true},
    {"FVector", "ZeroLev", false},    {"FVector", "ZeroDet", false},
    {"FEnvelope", "RandEnv", true},   {"FEnvelope", "Button1", false},
    {"FEnvelope", "EnvTypeB", false}, {"FFMEdit", "RandFMB", true},
    {"FFMEdit", "RandFMD", true},     {"FFMEdit", "CopyBD1", false},
    {"FFMEdit", "CopyDB1", false},
};

void press(EditPage* page, const char* name) {
    if (auto* button = page->findChild<QPushButton*>(name)) return button->click();
    auto* list = page->findChild<QComboBox*>(name);
    ASSERT_NE(list, nullptr) << name;
    const int last = list->count() - 1;
    list->setCurrentIndex(last);
    emit list->activated(last);
}

std::string differences(const Bytes& first, const Bytes& second) {
    std::ostringstream out;
    for (std::size_t i = 0; i < std::min(first.size(), second.size()); ++i)
        if (first[i] != second[i])
            out << " byte " << i << ": " << int(first[i]) << " -> " << int(second[i]) << ";";
    return out.str();
}

class VoiceButtons : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_GE(peer.outputIndex(), 0) << "no MIDI bus: run the tests through ctest";
        std::filesystem::create_directory_symlink(dataDir() / "bmp", dir.path() / "bmp");
    }

    // The dump of the next send, waiting for it.
    Bytes nextSend() {
        const std::vector<Bytes> received = peer.waitForMessages(++sends, 5s);
        EXPECT_EQ(received.size(), sends) << "a send is missing, or one too many arrived";
        return received.empty() ? Bytes{} : received.back();
    }

    testing_support::MidiInputPeer peer{
        testing_support::MidiInputPeer::uniqueName("Klangor Buttons Peer")};
    testing_support::TempDir dir;
    StartDirFixture start{dir, std::to_string(peer.outputIndex())};
    std::size_t sends = 0;
};

} // namespace

TEST_F(VoiceButtons, ThePageShowsWhatTheButtonSent) {
    for (const ButtonCase& c : kButtons) {
        SCOPED_TRACE(std::string(c.page) + " " + c.control);
        morvex::MorvexState state;
        THaupt window(state);
        ReportCapture boxes{window.session()};
        NoteCapture notes{window.session()};
        window.show();
        ASSERT_TRUE(window.Initialize());
        window.showPage(c.page);
        // Leaving each page unchanged is checked elsewhere; start from a voice the page shows.
        window.Senden1Click();
        nextSend();

        press(window.activePageWidget(), c.control);
        if (!c.sends) window.Senden1Click();
        const Bytes first = nextSend();
        window.Senden1Click();
        const Bytes second = nextSend();
        EXPECT_TRUE(second == first) << "the second send differs:" << differences(first, second);
        EXPECT_TRUE(boxes.reports.empty()) << boxes.reports.front().text;
        EXPECT_TRUE(notes.notes.empty());
    }
}
