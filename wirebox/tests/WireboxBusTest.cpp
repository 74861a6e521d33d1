// The library as a host program loads it, over the private MIDI bus of the tests, with a peer
// playing the instrument on the other end: the peer has an input and an output port, collects
// everything sent to it and can answer from a small script.

#include "testing/MidiDuplexPeer.h"
#include "testing/MidiPeer.h"
#include "wirebox/Wirebox.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

using namespace std::chrono_literals;
using testing_support::Bytes;

namespace {

// Bytes below 80h that change from one position to the next, so that a lost, doubled or shifted
// piece of a long message shows.
Bytes sysEx(std::size_t length) {
    Bytes message(length);
    for (std::size_t i = 0; i < length; ++i)
        message[i] = static_cast<std::uint8_t>((i * 31 + 7) & 0x7F);
    message.front() = 0xF0;
    message.back() = 0xF7;
    return message;
}

using Peer = testing_support::MidiDuplexPeer;

// The next message Wirebox hands out, given back at once; nothing when it returned null.
std::optional<Bytes> receive() {
    std::uint32_t length = 0;
    unsigned char* block = MidiReceive(&length);
    if (!block) return std::nullopt;
    Bytes message(block, block + length);
    DiscardMidiMessage(block);
    return message;
}

class WireboxBus : public ::testing::Test {
protected:
    void TearDown() override {
        CloseMidi();
        peer.reset();
        SetTimeOut(5000);
    }

    // A peer with Wirebox's ports open on it.
    Peer& openOnPeer(Peer::Script script = {}, int channel = 0) {
        peer = std::make_unique<Peer>(std::move(script));
        EXPECT_TRUE(peer->ready()) << "no MIDI bus: run the tests through ctest";
        // Not retried here: a host would see a failure too, so the library must cope with JACK
        // refusing a client now and then.
        EXPECT_EQ(OpenMidi(nullptr, channel, peer->wireboxIn.c_str(), peer->wireboxOut.c_str()), 1);
        SetTimeOut(2000);
        return *peer;
    }

    std::unique_ptr<Peer> peer;
};

} // namespace

TEST_F(WireboxBus, TransmitSendsTheBytesUnchanged) {
    Peer& p = openOnPeer();
    const Bytes voice = sysEx(592), large = sysEx(40000);
    ASSERT_EQ(MidiTransmit(static_cast<std::uint32_t>(voice.size()), voice.data()), 1);
    ASSERT_EQ(MidiTransmit(static_cast<std::uint32_t>(large.size()), large.data()), 1);
    const auto received = p.waitForMessages(2, 5s);
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0], voice);
    EXPECT_EQ(received[1].size(), large.size());
    EXPECT_TRUE(received[1] == large) << "the long message came back altered";
}

// JACK refuses a client now and then; a host that opens and closes for each exchange must still
// never see a failure.
TEST_F(WireboxBus, AHundredExchangesInARowAllSucceed) {
    Peer& p = openOnPeer([](const Bytes& request) -> std::optional<Bytes> {
        Bytes reply = request;
        reply[1] = 0x7D;
        return reply;
    });
    ASSERT_EQ(CloseMidi(), 1);
    for (int round = 0; round < 100; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        ASSERT_EQ(OpenMidi(nullptr, 0, p.wireboxIn.c_str(), p.wireboxOut.c_str()), 1);
        const Bytes request = {0xF0, 0x47, static_cast<std::uint8_t>(round), 0xF7};
        ASSERT_EQ(MidiTransmit(4, request.data()), 1);
        const auto reply = receive();
        ASSERT_TRUE(reply);
        EXPECT_EQ(*reply, (Bytes{0xF0, 0x7D, static_cast<std::uint8_t>(round), 0xF7}));
        ASSERT_EQ(CloseMidi(), 1);
    }
}

TEST_F(WireboxBus, ReceiveHandsOutEachSysExWholeAndInOrder) {
    Peer& p = openOnPeer();
    // Sent the moment OpenMidi returns: its connections must already be live.
    const Bytes first = sysEx(592), second = sysEx(5), third = {0xF0, 0x7D, 0x01, 0xF7};
    p.send(first);
    p.send(second);
    p.send(third);
    for (const Bytes* expected : {&first, &second, &third}) {
        const auto message = receive();
        ASSERT_TRUE(message);
        EXPECT_EQ(*message, *expected);
    }
}

TEST_F(WireboxBus, ALongSysExComesInPartsOfAtMost32767Bytes) {
    Peer& p = openOnPeer();
    const Bytes sent = sysEx(40000);
    p.send(sent);
    const auto first = receive();
    const auto second = receive();
    ASSERT_TRUE(first && second);
    ASSERT_EQ(first->size(), 32767u);
    EXPECT_EQ(first->front(), 0xF0);
    EXPECT_EQ(std::count(first->begin(), first->end(), 0xF7), 0);
    ASSERT_EQ(second->size(), 40000u - 32767u);
    EXPECT_EQ(second->back(), 0xF7);
    Bytes joined = *first;
    joined.insert(joined.end(), second->begin(), second->end());
    EXPECT_TRUE(joined == sent);
}

TEST_F(WireboxBus, SampleNumberCountsOnlySampleEntries) {
    constexpr int kChannel = 3;
    Peer& p = openOnPeer(
        [](const Bytes& request) -> std::optional<Bytes> {
            if (request.size() < 4 || request[3] != 0x03) return std::nullopt;
            Bytes reply = {0xF0, 0x47, kChannel, 0x0B, 0x40, 0x03, 0x00};
            reply.reserve(64); // room first: GCC 12 at -O3 takes growing inserts for overflows
            // Sample 0, a program entry numbered 9 that must not count, and sample 4.
            const std::pair<std::uint8_t, std::uint8_t> entries[] = {
                {'S', 0x00}, {'X', 0x09}, {'S', 0x04}};
            for (const auto& [kind, number] : entries) {
                const std::uint8_t entry[12] = {kind, number, 'E', 'N', 'T', 'R',
                                                'Y',  ' ',    ' ', ' ', ' ', ' '};
                reply.insert(reply.end(), std::begin(entry), std::end(entry));
            }
            std::uint8_t checksum = 0;
            for (std::size_t i = 7; i < reply.size(); ++i) checksum ^= reply[i];
            reply.push_back(checksum & 0x7F);
            reply.push_back(0xF7);
            return reply;
        },
        kChannel);
    EXPECT_EQ(GetSampleNum(), 5);
    const auto received = p.waitForMessages(1, 1s);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0], (Bytes{0xF0, 0x47, kChannel, 0x03, 0x40, 0x00, 0x00, 0xF7}));
}

TEST_F(WireboxBus, SampleNumberIsMinusOneWithoutAnAnswer) {
    openOnPeer();
    SetTimeOut(300);
    EXPECT_EQ(GetSampleNum(), -1);
}

TEST_F(WireboxBus, SampleHeaderFollowsTheHandshake) {
    const Bytes accept = {0xF0, 0x7E, 0x7F, 0xF7}, refuse = {0xF0, 0x7E, 0x7E, 0xF7};
    Bytes header = sysEx(21);
    header.pop_back(); // a header leaves its SysEx open for the packets
    for (const Bytes* answer : {&accept, &refuse}) {
        Peer& p = openOnPeer();
        SetTimeOut(1000);
        p.send(*answer); // queued in Wirebox before the call reads it
        EXPECT_EQ(SendSampleHeader(header.data()), answer == &accept ? 1 : 0);
        CloseMidi();
    }
}

TEST_F(WireboxBus, ADumpGoesOutAsHeaderPacketsAndTheClosingF7) {
    Peer& p = openOnPeer();
    const Bytes accept = {0xF0, 0x7E, 0x7F, 0xF7};
    Bytes header = sysEx(21);
    header.pop_back();
    p.send(accept);
    ASSERT_EQ(SendSampleHeader(header.data()), 1);

    // This handshake comes only while SendChunk waits for it.
    std::thread answer([&] {
        std::this_thread::sleep_for(50ms);
        p.send(accept);
    });
    const std::uint8_t data[4] = {0x11, 0x22, 0x7F, 0x00};
    const int sent = SendChunk(130, 4, data);
    answer.join();
    EXPECT_EQ(sent, 1);
    EXPECT_EQ(EndOfEx(), 1);

    // The peer's end joins it all into one SysEx message once the F7 arrives.
    auto received = p.waitForMessages(1, 2s);
    ASSERT_EQ(received.size(), 1u);
    const Bytes& dump = received[0];
    ASSERT_EQ(dump.size(), 20u + 122u + 1u);
    EXPECT_TRUE(std::equal(header.begin(), header.end(), dump.begin()));
    const std::uint8_t* packet = dump.data() + 20;
    EXPECT_EQ(packet[0], 130 % 127);
    EXPECT_TRUE(std::equal(data, data + 4, packet + 1));
    std::uint8_t checksum = 0;
    for (int i = 1; i <= 120; ++i) checksum ^= packet[i];
    EXPECT_EQ(packet[121], checksum);
    EXPECT_EQ(dump.back(), 0xF7);
}

TEST_F(WireboxBus, SampleParametersGoOutAsOneSysEx) {
    constexpr int kChannel = 2;
    Peer& p = openOnPeer({}, kChannel);
    ASSERT_EQ(SendSampleData(7, "KICK", 1000, 20, 900), 1);
    // The two zero bytes after its F7 leave a receiver that joins SysEx pieces (as the MIDI layer
    // does on JACK) waiting for more: a later message ending in F7 makes it hand over everything at
    // once.
    const Bytes marker = {0xF0, 0x7D, 0x06, 0xF7};
    ASSERT_EQ(MidiTransmit(4, marker.data()), 1);
    Bytes stream;
    for (const Bytes& message : p.waitForMessages(1, 2s))
        stream.insert(stream.end(), message.begin(), message.end());
    ASSERT_GE(stream.size(), 130u);
    EXPECT_EQ(Bytes(stream.begin(), stream.begin() + 6),
              (Bytes{0xF0, 0x47, kChannel, 0x0A, 0x40, 0x07}));
    EXPECT_EQ(Bytes(stream.begin() + 8, stream.begin() + 16),
              (Bytes{'K', 0, 'I', 0, 'C', 0, 'K', 0}));
    EXPECT_EQ(stream[16], ' ');
    std::uint8_t checksum = 0;
    for (int i = 7; i <= 127; ++i) checksum ^= stream[i];
    EXPECT_EQ(stream[128], checksum);
    EXPECT_EQ(stream[129], 0xF7);
    EXPECT_EQ(std::count(stream.begin() + 1, stream.begin() + 129, 0xF7), 0);
}
