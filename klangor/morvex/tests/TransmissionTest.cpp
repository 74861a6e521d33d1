// Sending over the private MIDI bus of the tests to a peer port that plays the synthesizer.

#include "morvex/Transmission.h"
#include "morvex/Checksum.h"
#include "morvex/StartDir.h"
#include "morvex/VoiceFile.h"
#include "testing/MidiPeer.h"
#include "testing/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace morvex;
using namespace std::chrono_literals;
using testing_support::Bytes;
using testing_support::MidiInputPeer;

namespace {

MorvexState voiceWithHeader() {
    MorvexState state;
    const std::uint8_t header[] = {0xF0, 0x43, 0x00, 0x7E, 0x04, 0x46, 'P', 'H',
                                   ' ',  ' ',  '2',  '2',  '0',  '3',  'A', 'E'};
    std::copy(std::begin(header), std::end(header), state.dumpHeader.begin());
    state.voiceParams.volume = {99, 99, 99, 99};
    return state;
}

class TransmissionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(peer.isOpen()) << "no MIDI bus: run the tests through ctest";
        device = peer.outputIndex();
        ASSERT_GE(device, 0);
    }
    MidiInputPeer peer{MidiInputPeer::uniqueName("Morvex In")};
    int device = -1;
};

} // namespace

TEST_F(TransmissionTest, EachSendIsOneWholeDumpAsEncoded) {
    MorvexState state = voiceWithHeader();
    state.voiceParams.effect = 26; // the file form would store 226; the wire carries 26
    state.voiceData[571] = 26;
    ASSERT_FALSE(SendVoice(state, device));
    ASSERT_FALSE(SendVoice(state, device));

    const std::vector<Bytes> received = peer.waitForMessages(2, 5s);
    ASSERT_EQ(received.size(), 2u);
    const Bytes expected = dumpBytes(state);
    EXPECT_EQ(received[0], expected);
    EXPECT_EQ(received[1], expected);
    ASSERT_EQ(received[0].size(), 592u);
    EXPECT_EQ(received[0][16 + 2], 26);
    EXPECT_EQ(received[0][16 + 571], 26);
    EXPECT_EQ(received[0].back(), 0xF7);

    // What went out carries valid check bytes.
    VoiceBytes checked = state.voiceData;
    UpdateChecksum(checked);
    EXPECT_EQ(state.voiceData, checked);
}

TEST_F(TransmissionTest, RangeErrorsAreReportedAndTheVoiceIsSentAnyway) {
    MorvexState state = voiceWithHeader();
    state.voiceParams.scaling[A] = 300; // flag 1, low part 172
    std::vector<int> reported;
    ASSERT_FALSE(SendVoice(state, device, [&](int offset) { reported.push_back(offset); }));
    EXPECT_EQ(reported, std::vector<int>{37});
    const std::vector<Bytes> received = peer.waitForMessages(1, 5s);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0][16 + 37], 172);
}

TEST_F(TransmissionTest, DumpRequestIsTheFifteenFixedBytes) {
    MorvexState state = voiceWithHeader();
    state.dumpHeader[2] = 0x05; // the request ignores the voice's device number
    ASSERT_FALSE(TransmitSysEx(state, SysExKind::DumpRequest, device));
    const std::vector<Bytes> received = peer.waitForMessages(1, 5s);
    ASSERT_EQ(received.size(), 1u);
    const Bytes expected = {0xF0, 0x43, 0x20, 0x7E, 0x50, 0x48, 0x20, 0x20,
                            0x32, 0x32, 0x30, 0x33, 0x41, 0x45, 0xF7};
    EXPECT_EQ(received[0], expected);
}

TEST_F(TransmissionTest, AMissingDeviceSendsNothingAndSaysSo) {
    MorvexState state = voiceWithHeader();
    const VoiceBytes before = state.voiceData;
    for (int missing : {-1, 250}) {
        const Status result = TransmitSysEx(state, SysExKind::VoiceDump, missing);
        ASSERT_TRUE(result);
        EXPECT_NE(result->text.find("nothing was sent"), std::string::npos);
    }
    EXPECT_EQ(state.voiceData, before);
    EXPECT_TRUE(peer.waitForMessages(1, 300ms).empty());
}

TEST_F(TransmissionTest, DeviceFileHoldsANumberOrAPortName) {
    testing_support::TempDir dir;
    MorvexState state;
    state.startDir = dir.path().string();
    const auto writeDeviceFile = [&](const std::string& text) {
        std::ofstream(dir.file(kDeviceFileName)) << text;
    };
    const std::string listed = midiOutputNames().at(static_cast<std::size_t>(device));
    EXPECT_EQ(findMidiOutput(listed), device);
    EXPECT_EQ(findMidiOutput(listed + " "), -1); // names are compared exactly

    std::string portName = "stale";
    writeDeviceFile("  \n 258 \n");
    ASSERT_FALSE(ReadDeviceFile(state, &portName));
    EXPECT_EQ(state.midiDevice, 2); // the low byte
    EXPECT_EQ(portName, "");

    writeDeviceFile("\n  " + listed + "  \r\n");
    ASSERT_FALSE(ReadDeviceFile(state, &portName));
    EXPECT_EQ(state.midiDevice, device);
    EXPECT_EQ(portName, listed);

    // A port that is not there (yet): the caller that keeps the name looks it up when sending.
    state.midiDevice = 7;
    writeDeviceFile("Gone Synth:In\n");
    ASSERT_FALSE(ReadDeviceFile(state, &portName));
    EXPECT_EQ(portName, "Gone Synth:In");
    EXPECT_EQ(state.midiDevice, 7);
    const Status unlisted = ReadDeviceFile(state);
    ASSERT_TRUE(unlisted);
    EXPECT_EQ(unlisted->caption, "Fehler");
    EXPECT_EQ(state.midiDevice, 7);

    writeDeviceFile(" \n\n");
    EXPECT_TRUE(ReadDeviceFile(state, &portName));

    // A file far larger than any device line is refused, and the device stays.
    writeDeviceFile("5" + std::string(64 * 1024, ' '));
    const Status huge = ReadDeviceFile(state, &portName);
    ASSERT_TRUE(huge);
    EXPECT_NE(huge->text.find("larger than 64 KiB"), std::string::npos) << huge->text;
    EXPECT_EQ(state.midiDevice, 7);
}
