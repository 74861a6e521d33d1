#include "morvex/Checksum.h"

#include <gtest/gtest.h>

#include <numeric>
#include <random>

using namespace morvex;

namespace {

constexpr int kFlagPositions[] = {14, 17, 19, 22,  25,  36,  38,  40,  48,  50,  63,  67,  71, 79,
                                  83, 96, 99, 110, 114, 122, 124, 137, 141, 145, 153, 157, 161};

std::array<int, 3> checkOf(VoiceBytes data) {
    UpdateChecksum(data);
    return {data[572], data[573], data[574]};
}

TEST(Checksum, KnownVoices) {
    VoiceBytes data{};
    EXPECT_EQ(checkOf(data), (std::array<int, 3>{1, 2, 85}));
    data[2] = 100;
    data[14] = 1;
    EXPECT_EQ(checkOf(data), (std::array<int, 3>{0, 30, 85}));
}

// What the synthesizer verifies: the whole voice sums to 88 modulo 128.
TEST(Checksum, RandomVoicesSumTo88) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> byte(0, 127), bit(0, 1);
    for (int round = 0; round < 500; ++round) {
        VoiceBytes data{};
        // Every fourth round at the top of the range, where both sums wrap.
        const bool top = round % 4 == 0;
        for (int n = 0; n < 572; ++n) data[n] = static_cast<std::uint8_t>(top ? 127 : byte(random));
        for (int n : kFlagPositions) data[n] = static_cast<std::uint8_t>(top ? 1 : bit(random));
        for (int n = 171; n <= 571; n += 4)
            data[n] = static_cast<std::uint8_t>(top ? 1 : bit(random));
        data[572] = data[573] = data[574] = 99; // stale check bytes must not count
        UpdateChecksum(data);
        ASSERT_EQ(std::accumulate(data.begin(), data.begin() + 575, 0) % 128, 88) << round;
        ASSERT_LE(data[572], 1);
        ASSERT_LE(data[574], 127);
    }
}

// Below the vector area a flag byte holding something other than 0 or 1 is ignored; in the vector
// area it is summed like any other byte.
TEST(Checksum, OddFlagValuesCountDifferentlyPerArea) {
    VoiceBytes zero{}, odd{}, vectorFlag{}, plainByte{}, tail{};
    odd[36] = 5;
    odd[161] = 200;
    EXPECT_EQ(checkOf(odd), checkOf(zero));
    vectorFlag[175] = 5;
    plainByte[176] = 5;
    EXPECT_EQ(checkOf(vectorFlag), checkOf(plainByte));
    EXPECT_NE(checkOf(vectorFlag), checkOf(zero));
    tail[575] = 0xF7; // past the summed bytes
    EXPECT_EQ(checkOf(tail), checkOf(zero));
}

} // namespace
