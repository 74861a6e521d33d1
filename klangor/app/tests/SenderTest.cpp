// The window's sends on the in-memory bus: a hung MIDI service never holds up the GUI thread,
// results reach the status bar, and sends arrive in the order they were made.
#include "Sender.h"
#include "GuiTestSupport.h"
#include "Main.h"
#include "midi/MemoryBus.h"
#include "midi/MidiInput.h"
#include "morvex/VoiceFile.h"

#include <QStatusBar>
#include <QTimer>
#include <gtest/gtest.h>

using namespace klangor;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

class SenderTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        synth = midi::MidiInput::open({"Morvex", "in", std::nullopt, false}, error, bus);
        ASSERT_TRUE(synth) << error;
        fixture = std::make_unique<StartDirFixture>(dir, "0");
        window = std::make_unique<THaupt>(state);
        boxes = std::make_unique<ReportCapture>(window->session());
        window->show();
        ASSERT_TRUE(window->Initialize());
        window->session().sender().setTimeout(300ms);
    }
    void TearDown() override {
        bus.hangPuts(false);
        window->session().sender().setTimeout(5s);
        EXPECT_TRUE(window->session().sender().waitUntilIdle(5s));
        boxes.reset();
        window.reset();
        synth.reset();
    }
    QString statusText() const { return window->statusBar()->currentMessage(); }

    midi::MemoryBus bus;
    midi::ServiceOverride guard{bus};
    std::shared_ptr<midi::MidiInput> synth;
    testing_support::TempDir dir;
    morvex::MorvexState state;
    std::unique_ptr<StartDirFixture> fixture;
    std::unique_ptr<THaupt> window;
    std::unique_ptr<ReportCapture> boxes;
};

} // namespace

TEST_F(SenderTest, AHungSendLeavesTheWindowRunningAndEndsInTheStatusBar) {
    bus.hangPuts(true);
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(10);

    const auto start = Clock::now();
    window->Senden1Click();
    EXPECT_LT(Clock::now() - start, 20ms); // the GUI thread only hands the dump over

    ASSERT_TRUE(window->session().sender().waitUntilIdle(5s));
    EXPECT_GE(ticks, 10); // the event loop ran all through the 300 ms the send hung
    EXPECT_TRUE(statusText().contains("did not take the message in time"))
        << statusText().toStdString();
    EXPECT_TRUE(boxes->reports.empty());
}

TEST_F(SenderTest, SendsArriveWholeAndInOrder) {
    std::vector<midi::Bytes> sent;
    for (std::uint8_t value : {10, 20, 30}) {
        state.voiceData[35] = value;
        window->session().transmitVoice();
        sent.push_back(morvex::dumpBytes(state));
    }
    ASSERT_TRUE(window->session().sender().waitUntilIdle(5s));
    for (const midi::Bytes& expected : sent) {
        midi::Bytes message;
        ASSERT_EQ(synth->next(message, 1s), midi::MidiInput::Outcome::Message);
        EXPECT_EQ(message, expected);
    }
    EXPECT_EQ(statusText(), "Sent \"Init Pad\" to Morvex:in (592 bytes)");

    QWidget* offer = window->findChild<QWidget*>("OfferMidiSetup");
    ASSERT_NE(offer, nullptr);
    EXPECT_FALSE(offer->isVisible());

    // The synthesizer's port gone: the next send says so in the status bar and offers the setup.
    synth.reset();
    window->session().transmitVoice();
    ASSERT_TRUE(window->session().sender().waitUntilIdle(5s));
    EXPECT_TRUE(statusText().contains("nothing was sent")) << statusText().toStdString();
    EXPECT_TRUE(statusText().endsWith(kSetupOffer)) << statusText().toStdString();
    EXPECT_TRUE(offer->isVisible());
}
