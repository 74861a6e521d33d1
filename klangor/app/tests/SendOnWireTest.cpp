// Sends from the window, checked on the private MIDI bus by a peer that plays the synthesizer.
#include "Direct.h"
#include "GuiTestSupport.h"
#include "Main.h"
#include "morvex/Checksum.h"
#include "morvex/Transmission.h"
#include "morvex/VoiceCodec.h"
#include "morvex/VoiceFile.h"
#include "testing/EmulatorProcess.h"
#include "testing/MidiPeer.h"

#include <QPushButton>
#include <QSpinBox>
#include <fstream>
#include <gtest/gtest.h>

using namespace klangor;
using namespace std::chrono_literals;
using testing_support::Bytes;
using testing_support::MidiInputPeer;
using testing_support::TempDir;

namespace {

class SendOnWireTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(peer.isOpen()) << "no MIDI bus: run the tests through ctest";
        ASSERT_GE(peer.outputIndex(), 0);
    }
    void start(const std::string& device) {
        fixture = std::make_unique<StartDirFixture>(dir, device);
        window = std::make_unique<THaupt>(state);
        boxes = std::make_unique<ReportCapture>(window->session());
        notes = std::make_unique<NoteCapture>(window->session());
        window->askToSave = [](QWidget*, const QString&) { return QMessageBox::No; };
        window->show();
        ASSERT_TRUE(window->Initialize());
        ASSERT_TRUE(boxes->reports.empty());
    }
    void TearDown() override {
        notes.reset();
        boxes.reset();
        window.reset();
        fixture.reset();
    }

    MidiInputPeer peer{MidiInputPeer::uniqueName("Morvex In")};
    TempDir dir;
    morvex::MorvexState state;
    std::unique_ptr<StartDirFixture> fixture;
    std::unique_ptr<THaupt> window;
    std::unique_ptr<ReportCapture> boxes;
    std::unique_ptr<NoteCapture> notes;
};

} // namespace

TEST_F(SendOnWireTest, F12AndACancelledInputFileEachSendOneWholeDump) {
    start(std::to_string(peer.outputIndex()));
    window->Senden1Click();
    window->fileDialogs.open = [](QWidget*, const QString&) { return QString(); };
    window->SourceFile1Click();
    const std::vector<Bytes> received = peer.waitForMessages(2, 5s);
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0], morvex::dumpBytes(state));
    EXPECT_EQ(received[1], received[0]);
    EXPECT_EQ(received[0].size(), 592u);
    EXPECT_TRUE(notes->notes.empty());
}

TEST_F(SendOnWireTest, DeviceFileMayNameThePortAndDirectEditSendsItsBytes) {
    // A device number in front of the peer keeps pointing elsewhere; the name follows the port.
    start(morvex::midiOutputNames().at(static_cast<std::size_t>(peer.outputIndex())));
    window->showPage("FDirectEd");
    auto* page = window->activePageWidget();
    page->findChild<QSpinBox*>("ASCIIEdit1")->setValue(10);
    page->findChild<QPushButton*>("SendDirect")->click();
    const std::vector<Bytes> received = peer.waitForMessages(1, 5s);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0][16 + 35], 10);
    EXPECT_EQ(received[0], morvex::dumpBytes(state));
    EXPECT_TRUE(notes->notes.empty());
}

TEST_F(SendOnWireTest, AMissingPortIsAStatusNoteNotABox) {
    start("No Such Synth:MIDI In");
    window->Senden1Click();
    ASSERT_EQ(notes->notes.size(), 1u);
    EXPECT_TRUE(notes->notes[0].contains("No Such Synth"));
    EXPECT_TRUE(boxes->reports.empty());
    EXPECT_TRUE(peer.waitForMessages(1, 300ms).empty());
}

TEST_F(SendOnWireTest, ReceiveFromTheVirtualMorvexMakesItsVoiceTheCurrentOne) {
    // The synthesizer holds the initial voice under another name.
    morvex::MorvexState held;
    held.startDir = KLANGOR_DATA_DIR;
    ASSERT_TRUE(loadInitialVoice(held));
    const std::string name = "Fetched"; // a voice name holds 8 characters
    ASSERT_LE(name.size(), held.voiceName.size());
    std::copy(name.begin(), name.end(), held.voiceName.begin());
    morvex::EncodeVoice(held, {});
    morvex::UpdateChecksum(held.voiceData);
    const std::vector<std::uint8_t> dump = morvex::dumpBytes(held);
    const std::string voiceFile = dir.file("held.syx");
    std::ofstream(voiceFile, std::ios::binary)
        .write(reinterpret_cast<const char*>(dump.data()),
               static_cast<std::streamsize>(dump.size()));

    testing_support::EmulatorProcess synth;
    ASSERT_TRUE(
        synth.start(MIDI_EMULATOR, "morvex", {"--voice", voiceFile}, dir.file("emulator.log")));
    start(synth.inPort()); // morvex.dev names the synthesizer; it answers on its "Out" port
    window->receiveTimeout = 5s;
    window->ReceiveClick();
    EXPECT_TRUE(boxes->reports.empty());
    EXPECT_EQ(std::string(state.voiceName.begin(), state.voiceName.begin() + name.size()), name);
    EXPECT_TRUE(shownCaption(*window).contains("received from Morvex"))
        << shownCaption(*window).toStdString();
}
