#include "morvex/ParameterMap.h"
#include "morvex/ScaleTables.h"
#include "morvex/VoiceCodec.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <utility>
#include <vector>

using namespace morvex;

namespace {

using Bytes = std::vector<std::pair<int, int>>; // offset, byte

VoiceParams decodeBytes(const Bytes& bytes) {
    MorvexState s;
    for (auto [offset, value] : bytes) s.voiceData[offset] = static_cast<std::uint8_t>(value);
    DecodeVoice(s);
    return s.voiceParams;
}

template <typename Edit>
VoiceBytes encodeWith(Edit edit) {
    MorvexState s;
    edit(s);
    EncodeVoice(s);
    return s.voiceData;
}

void expectBytes(const VoiceBytes& data, const Bytes& want) {
    for (auto [offset, value] : want) EXPECT_EQ(data[offset], value) << "byte " << offset;
}

TEST(Codec, FlagAndSignedPairs) {
    EXPECT_EQ(decodeBytes({{36, 1}, {37, 5}}).scaling[A], 133);
    EXPECT_EQ(decodeBytes({{36, 2}, {37, 5}}).scaling[A], 5); // only 1 is a flag
    EXPECT_EQ(decodeBytes({{171, 1}, {172, 127}}).levelVector[0].time, 255);
    EXPECT_EQ(decodeBytes({{14, 1}, {15, 126}}).aftertouchPitch, -1);
    EXPECT_EQ(decodeBytes({{50, 1}, {51, 116}}).freqShift[B], -12);
    EXPECT_EQ(decodeBytes({{124, 0}, {125, 12}}).freqShift[D], 12);
    MorvexState odd;
    odd.voiceParams.freqShift[A] = 7;
    odd.voiceData[22] = 2; // neither sign: the value on the page stays
    DecodeVoice(odd);
    EXPECT_EQ(odd.voiceParams.freqShift[A], 7);

    const VoiceBytes data = encodeWith([](MorvexState& s) {
        s.voiceParams.scaling[A] = 127;
        s.voiceParams.scaling[C] = 128;
        s.voiceParams.detuneVector[49].time = 254;
        s.voiceParams.aftertouchPitch = -12;
        s.voiceParams.freqShift = {-12, 0, -1, 99};
    });
    const Bytes want = {
        {36, 0},   {37, 127}, {110, 1},  {111, 0}, {567, 1},  {568, 126}, {14, 1},
        {15, 115}, {22, 1},   {23, 116}, {96, 1},  {97, 127}, {124, 0},   {125, 99},
    };
    expectBytes(data, want);
}

TEST(Codec, KneeAtBothBends) {
    EXPECT_EQ(decodeBytes({{39, 37}}).attackRate[A], 73);
    EXPECT_EQ(decodeBytes({{164, 63}}).releaseRate[D], 99);
    EXPECT_EQ(decodeBytes({{17, 1}, {18, 90}}).attackOffset, -73);
    EXPECT_EQ(decodeBytes({{17, 1}, {18, 91}}).attackOffset, -72);
    EXPECT_EQ(decodeBytes({{19, 1}, {20, 64}}).releaseOffset, -99);
    // Odd values below the bend lose their last bit, truncated toward zero.
    const VoiceBytes data = encodeWith([](MorvexState& s) {
        s.voiceParams.attackRate = {73, 72, 71, 99};
    });
    expectBytes(data, {{39, 37}, {86, 36}, {113, 35}, {160, 63}});
    const std::array<int, 3> offsets[] = {{73, 0, 37},  {72, 0, 36},  {-73, 1, 90},
                                          {-72, 1, 91}, {-71, 1, 92}, {-1, 0, 0}};
    for (auto [value, flag, low] : offsets) {
        SCOPED_TRACE(value);
        expectBytes(encodeWith([&](MorvexState& s) { s.voiceParams.attackOffset = value; }),
                    {{17, flag}, {18, low}});
    }
}

TEST(Codec, ScaledInvertedPanOffsetAndTimes) {
    EXPECT_EQ(decodeBytes({{28, 2}}).lfoDelay[A], 2);
    EXPECT_EQ(decodeBytes({{28, 127}}).lfoDelay[A], 99);
    EXPECT_EQ(decodeBytes({{30, 0}}).lfoRate[A], 99);
    EXPECT_EQ(decodeBytes({{33, 0}}).pan[A], 4);
    EXPECT_EQ(decodeBytes({{173, 0}}).levelVector[0].x, -31);
    EXPECT_EQ(decodeBytes({{169, 25}}).levelSpeed, 250);
    const VoiceBytes data = encodeWith([](MorvexState& s) {
        s.voiceParams.lfoDelay = {2, 99, 0, 50};
        s.voiceParams.lfoRate = {99, 0, 50, 0};
        s.voiceParams.pan = {0, 4, 2, 0};
        s.voiceParams.detuneVector[49].x = -31;
        s.voiceParams.detuneSpeed = 259;
    });
    const Bytes want = {
        {28, 3},   {56, 127}, {102, 0}, {130, 64}, {30, 0},
        {58, 127}, {33, 4},   {61, 0},  {569, 0},  {170, 25},
    };
    expectBytes(data, want);
}

// The bias of decay 1 depends on the element's levels, so EncodeVoice must write the levels first:
// stale level bytes would pick the wrong bias.
TEST(Codec, Decay1BiasFollowsTheFreshlyEncodedLevels) {
    EXPECT_EQ(decodeBytes({{44, 1}, {45, 127}, {41, 10}}).decay1Rate[A], 20);
    EXPECT_EQ(decodeBytes({{44, 0}, {45, 127}, {41, 10}}).decay1Rate[A], -90);
    EXPECT_EQ(decodeBytes({{44, 1}, {45, 126}, {41, 74}}).decay1Rate[A], 20);
    EXPECT_EQ(decodeBytes({{165, 9}, {166, 127}, {162, 63}}).decay1Rate[D], 99);

    const int decay1[] = {41, 88, 115, 162};
    for (int e = A; e <= D; ++e) {
        const int rate = decay1[e];
        for (bool loud : {true, false}) {
            auto data = encodeWith([&](MorvexState& s) {
                s.voiceData[rate + 3] = s.voiceData[rate + 4] = loud ? 0 : 127; // stale
                s.voiceParams.initialLevel[e] = loud ? 98 : 99;                 // byte 1 or 0
                s.voiceParams.attackLevel[e] = 0;                               // byte 127
                s.voiceParams.decay1Rate[e] = 20;
            });
            EXPECT_EQ(data[rate], loud ? 10 : 74) << rate;
        }
    }
}

TEST(Codec, FmWaveMarkerMeansUserDefined) {
    EXPECT_EQ(decodeBytes({{49, 100}}).wave[B], 100);
    EXPECT_EQ(decodeBytes({{48, 1}, {49, 5}}).wave[B], 133);
    EXPECT_EQ(decodeBytes({{48, 1}, {49, 5}, {55, 3}}).wave[B], 256);
    EXPECT_EQ(decodeBytes({{123, 7}, {129, 1}}).wave[D], 256);
    EXPECT_EQ(decodeBytes({{123, 7}, {55, 1}}).wave[D], 7);
    // The marker belongs to the synthesizer: encoding never writes it.
    const VoiceBytes data = encodeWith([](MorvexState& s) {
        s.voiceData[55] = 9;
        s.voiceParams.wave[B] = 256;
        s.voiceParams.wave[D] = 300;
    });
    expectBytes(data, {{48, 1}, {49, 127}, {122, 1}, {123, 127}, {55, 9}, {129, 0}});
}

TEST(Codec, FmBlockRoles) {
    MorvexState s;
    for (int i = 0; i < kFmBlockSize; ++i) s.voiceData[62 + i] = s.voiceData[136 + i] = 20 + i;
    s.voiceData[67] = 1; // index 5 of B flags index 6
    s.voiceData[68] = 10;
    DecodeVoice(s);
    const FmBlock& b = s.fmParams[0];
    EXPECT_EQ(b[0], 20);
    EXPECT_EQ(b[3], 23); // raw here; the tone level is the scaled one
    EXPECT_EQ(b[6], 138);
    EXPECT_EQ(b[19], 39);
    for (int i = 13; i <= 16; ++i) EXPECT_EQ(b[i], Scale127To99(127 - (20 + i))) << i;
    EXPECT_EQ(s.fmParams[1][6], 26); // D's index 5 holds 25: no flag
    EXPECT_EQ(s.voiceParams.toneLevel[0], Scale127To99(127 - 23));

    // Feedback, tone level and volume come from the element values, not from FmParams.
    auto data = encodeWith([](MorvexState& e) {
        for (int i = 0; i < kFmBlockSize; ++i) e.fmParams[1][i] = 40 + i;
        e.fmParams[1][5] = 0; // the flag follows index 6
        e.fmParams[1][6] = 200;
        e.voiceParams.toneFeedback[1] = 7;
        e.voiceParams.toneLevel[1] = 99;
        e.voiceParams.volume[D] = 0;
    });
    expectBytes(data, {{136, 7}, {139, 0}, {155, 127}, {141, 1}, {142, 72}});
    for (int i : {1, 2, 4, 7, 8, 9, 10, 11, 12, 17, 18, 20}) EXPECT_EQ(data[136 + i], 40 + i) << i;
    for (int i = 13; i <= 16; ++i) EXPECT_EQ(data[136 + i], Scale99To127(99 - (40 + i))) << i;
}

TEST(Codec, RangeCheckReportsBytesAbove127AndStillEncodes) {
    MorvexState s;
    s.voiceData[0] = s.voiceData[574] = s.voiceData[575] = 200; // outside the checked range
    s.voiceData[1] = 128;
    s.voiceData[573] = 255;
    s.voiceParams.scaling[A] = 300;
    s.voiceParams.lfoAm[B] = 200;
    s.voiceData[40] = 200; // written 0 before the check
    std::vector<int> told;
    const std::vector<int> found = EncodeVoice(s, [&](int offset) { told.push_back(offset); });
    EXPECT_EQ(found, (std::vector<int>{1, 37, 59, 573}));
    EXPECT_EQ(told, found);
    expectBytes(s.voiceData, {{36, 1}, {37, 172}, {59, 200}, {40, 0}, {87, 0}});
    EXPECT_EQ(rangeMessage(23), "Parameter 23 größer als 127!");
}

// Random voices as the synthesizer might send them: flag and sign bytes 0 or 1, the rest 0..127.
VoiceBytes randomVoice(std::mt19937& random) {
    std::uniform_int_distribution<int> byte(0, 127), bit(0, 1);
    VoiceBytes data{};
    for (auto& b : data) b = static_cast<std::uint8_t>(byte(random));
    std::vector<int> flags = {14, 17, 19, 22,  25,  36,  48,  50,  53, 67,
                              83, 96, 99, 110, 122, 124, 127, 141, 157};
    for (int n = 171; n <= 571; n += 4) flags.push_back(n);
    for (int n : flags) data[n] = static_cast<std::uint8_t>(bit(random));
    // 1,127 is minus zero, which re-encodes as 0,0; the synthesizer does not send it.
    for (int n : {14, 17, 19})
        if (data[n] == 1 && data[n + 1] == 127) data[n + 1] = 126;
    return data;
}

TEST(Codec, RoundTripKeepsExactBytesAndSnapsScaledOnes) {
    std::set<int> scaled, inverted;
    for (const ParameterDescriptor& p : voiceParameterMap()) {
        for (int slot = 0; slot < p.slotCount; ++slot) {
            if (p.offset(slot) == kNoOffset) continue;
            if (p.encoding == Encoding::Scaled) scaled.insert(p.offset(slot));
            if (p.encoding == Encoding::Inverted) inverted.insert(p.offset(slot));
        }
    }
    for (int base : kFmBlockOffset)
        for (int i = 13; i <= 16; ++i) inverted.insert(base + i);

    std::mt19937 random(2024);
    for (int round = 0; round < 50 && !HasFailure(); ++round) {
        MorvexState s;
        s.voiceData = randomVoice(random);
        const VoiceBytes before = s.voiceData;
        DecodeVoice(s);
        EncodeVoice(s);
        const VoiceBytes after = s.voiceData;
        std::set<int> userWave;
        if (before[55] != 0) userWave.insert({48, 49});
        if (before[129] != 0) userWave.insert({122, 123});

        for (int n = 0; n < kVoiceDataSize; ++n) {
            SCOPED_TRACE("round " + std::to_string(round) + " byte " + std::to_string(n));
            if (n == 40 || n == 87 || n == 114 || n == 161) {
                EXPECT_EQ(after[n], 0);
            } else if (userWave.contains(n)) {
                EXPECT_EQ(after[n], n == 48 || n == 122 ? 1 : 127);
            } else if (scaled.contains(n) || inverted.contains(n)) {
                // Same page value, and a byte the scale gives back.
                const bool inv = inverted.contains(n);
                auto raw = [inv](int b) { return inv ? 127 - b : b; };
                EXPECT_EQ(Scale127To99(raw(after[n])), Scale127To99(raw(before[n])));
                EXPECT_EQ(Scale99To127(Scale127To99(raw(after[n]))), raw(after[n]));
            } else {
                EXPECT_EQ(after[n], before[n]);
            }
        }
        // A second cycle changes nothing: editing must not drift a voice.
        DecodeVoice(s);
        EncodeVoice(s);
        EXPECT_EQ(s.voiceData, after) << "round " << round;
    }
}

} // namespace
