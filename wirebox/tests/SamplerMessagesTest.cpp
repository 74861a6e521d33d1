// The sampler's messages byte for byte: the instrument rejects a message with one byte out of
// place, so the layouts are checked against values worked out by hand.

#include "SamplerMessages.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace wirebox::sampler;
using wirebox::Bytes;

// A catalogue reply with one 12-byte entry per (type, number) and two closing bytes.
Bytes catalogue(std::initializer_list<std::pair<std::uint8_t, std::uint8_t>> entries) {
    Bytes reply = {0xF0, 0x47, 0x00, 0x0B, 0x40, 0x00, 0x00};
    for (const auto& [type, number] : entries) {
        Bytes entry(12, 0x20);
        entry[0] = type;
        entry[1] = number;
        reply.insert(reply.end(), entry.begin(), entry.end());
    }
    reply.insert(reply.end(), {0x00, 0xF7});
    return reply;
}

bool allZero(const std::array<std::uint8_t, kParameterMessageLength>& m, int from, int to) {
    return std::all_of(m.begin() + from, m.begin() + to + 1, [](std::uint8_t b) { return b == 0; });
}

TEST(SamplerMessages, CatalogueRequest) {
    EXPECT_EQ(catalogueRequest(0x105), (Bytes{0xF0, 0x47, 0x05, 0x03, 0x40, 0x00, 0x00, 0xF7}));
}

TEST(SamplerMessages, SampleCountIsHighestSampleNumberPlusOne) {
    EXPECT_EQ(sampleCount(catalogue({{'S', 0}, {'P', 9}, {'S', 4}})), 5);
    EXPECT_EQ(sampleCount(catalogue({{'S', 4}, {'S', 1}})), 5); // not the last one seen
    EXPECT_EQ(sampleCount(catalogue({{'P', 3}})), 0);
    EXPECT_EQ(sampleCount(catalogue({{'S', 0xFF}})), 0); // the number is signed: -1
    Bytes other = catalogue({{'S', 2}});
    other[2] = 0x7F; // the channel byte is not examined
    EXPECT_EQ(sampleCount(other), 3);
}

TEST(SamplerMessages, SampleCountRefusesWhatIsNoCatalogue) {
    EXPECT_EQ(sampleCount(Bytes{0xF0, 0x47, 0x00, 0x0B, 0x40, 0x00, 0x00, 0x00, 0xF7}),
              std::nullopt);
    EXPECT_EQ(sampleCount(Bytes{}), std::nullopt);
    for (int at : {0, 1, 3, 4}) {
        Bytes reply = catalogue({{'S', 1}});
        ++reply[at];
        EXPECT_EQ(sampleCount(reply), std::nullopt) << "byte " << at;
    }
}

TEST(SamplerMessages, ParameterMessageLayout) {
    const auto m = parameterMessage(0x102, 0x1C3, "KICK", 0x81828384u, 0x1FF80, -1);
    const std::uint8_t head[] = {0xF0, 0x47, 0x02, 0x0A, 0x40, 0xC3};
    EXPECT_TRUE(std::equal(std::begin(head), std::end(head), m.begin()));
    EXPECT_TRUE(allZero(m, 6, 7));
    const std::uint8_t name[] = {0x4B, 0, 0x49, 0, 0x43, 0, 0x4B, 0, 0x20, 0,
                                 0x20, 0, 0x20, 0, 0x20, 0, 0x20, 0, 0x20, 0};
    EXPECT_TRUE(std::equal(std::begin(name), std::end(name), m.begin() + 8));
    EXPECT_TRUE(allZero(m, 28, 39));
    const std::uint8_t first[] = {0x04, 1, 0x03, 1, 0x02, 1, 0x01, 1}; // least significant first
    EXPECT_TRUE(std::equal(std::begin(first), std::end(first), m.begin() + 40));
    const std::uint8_t second[] = {0x00, 1, 0x7F, 1}; // the low 16 bits only
    EXPECT_TRUE(std::equal(std::begin(second), std::end(second), m.begin() + 48));
    const std::uint8_t third[] = {0x7F, 1, 0x7F, 1};
    EXPECT_TRUE(std::equal(std::begin(third), std::end(third), m.begin() + 52));
    EXPECT_TRUE(allZero(m, 56, 59));
    EXPECT_EQ(m[60], 0x4F);
    EXPECT_TRUE(allZero(m, 61, 63));
    EXPECT_TRUE(std::equal(std::begin(first), std::end(first), m.begin() + 64));
    EXPECT_TRUE(allZero(m, 72, 93));
    EXPECT_EQ(m[94], 0x4E);
    EXPECT_TRUE(allZero(m, 95, 127));
    EXPECT_EQ(m[128], 0x74); // 0A (name) ^ 04 ^ 7F ^ 00 ^ 4F ^ 04 ^ 4E, worked out by hand
    EXPECT_EQ(m[129], 0xF7);
    EXPECT_TRUE(allZero(m, 130, 131));
}

TEST(SamplerMessages, ParameterMessageNames) {
    const auto accented = parameterMessage(0, 0, "\xE9", 0, 0, 0);
    EXPECT_EQ(accented[8], 0x69);
    EXPECT_EQ(accented[9], 0x01);

    const auto longName = parameterMessage(0, 0, "ABCDEFGHIJKLMN", 0, 0, 0);
    EXPECT_EQ(longName[26], 'J');
    EXPECT_EQ(longName[28], 0); // cut after ten characters

    const auto noName = parameterMessage(0, 0, nullptr, 0, 0, 0);
    for (int i = 8; i < 28; i += 2) {
        EXPECT_EQ(noName[i], 0x20);
        EXPECT_EQ(noName[i + 1], 0x00);
    }
}

TEST(SamplerMessages, DataPacketPadsAndChecksums) {
    const auto empty = dataPacket(3, 0, nullptr);
    ASSERT_TRUE(empty);
    EXPECT_EQ((*empty)[0], 3);
    for (int i = 1; i <= 120; i += 2) {
        EXPECT_EQ((*empty)[i], 0x3F);
        EXPECT_EQ((*empty)[i + 1], 0x40);
    }
    EXPECT_EQ((*empty)[121], 0x00); // sixty 3F^40 pairs cancel out

    std::uint8_t data[118];
    for (int i = 0; i < 118; ++i) data[i] = static_cast<std::uint8_t>(i);
    const auto full = dataPacket(130, 118, data);
    ASSERT_TRUE(full);
    EXPECT_EQ((*full)[0], 3); // 130 mod 127, and not part of the checksum
    EXPECT_TRUE(std::equal(data, data + 118, full->begin() + 1));
    EXPECT_EQ((*full)[119], 0x3F);
    EXPECT_EQ((*full)[120], 0x40);
    EXPECT_EQ((*full)[121], 0x7E); // 0 ^ 1 ^ .. ^ 117 is 01, then the pair's 7F

    EXPECT_EQ((*dataPacket(127, 0, nullptr))[0], 0);
}

TEST(SamplerMessages, DataPacketRefusesBadLengths) {
    std::uint8_t data[122] = {};
    for (int length : {-2, 1, 119, 122})
        EXPECT_FALSE(dataPacket(0, length, data)) << "length " << length;
    EXPECT_TRUE(dataPacket(0, 120, data));
}

TEST(SamplerMessages, HandshakeValue) {
    const std::uint8_t accepted[] = {0xF0, 0x7E, 0x7F, 0xF7};
    EXPECT_EQ(handshakeValue(accepted, 4), kHandshakeAccepted);
    const std::uint8_t refused[] = {0xF0, 0x7E, 0x7E, 0xF7};
    EXPECT_EQ(handshakeValue(refused, 4), 0x7E);
    const std::uint8_t negative[] = {0xF0, 0x7E, 0xFE, 0xF7};
    EXPECT_EQ(handshakeValue(negative, 4), -2);
    const std::uint8_t longer[] = {0xF0, 0x7E, 0x7F, 0x00, 0x00, 0xF7};
    EXPECT_EQ(handshakeValue(longer, 6), 0);
    const std::uint8_t badEnd[] = {0xF0, 0x7E, 0x7F, 0xF0};
    EXPECT_EQ(handshakeValue(badEnd, 4), 0);
    const std::uint8_t badId[] = {0xF0, 0x7D, 0x7F, 0xF7};
    EXPECT_EQ(handshakeValue(badId, 4), 0);
    EXPECT_EQ(handshakeValue(nullptr, 4), 0);
}

} // namespace
