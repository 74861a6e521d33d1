#include "morvex/ToneValues.h"
#include "morvex/FmPresetList.h"
#include "morvex/VoiceCodec.h"
#include "morvex/VoiceFile.h"
#include "testing/TempDir.h"

#include <gtest/gtest.h>

using namespace morvex;

namespace {

const std::string kDataDir = KLANGOR_DATA_DIR;

// The voice that ships with the program, decoded.
MorvexState shippedVoice() {
    MorvexState s;
    EXPECT_FALSE(LoadVoiceFile(s, kDataDir + "/initial.syx"));
    DecodeVoice(s);
    return s;
}

// What loading preset `index` into the element does on its own.
MorvexState withPreset(MorvexState s, int index, FmElement e) {
    EXPECT_FALSE(LoadFmPreset(s, index, e, kDataDir));
    return s;
}

} // namespace

TEST(ToneValues, SensitivityCodesSurviveEveryPageValue) {
    for (int at = -3; at <= 3; ++at)
        for (int vel = -5; vel <= 5; ++vel) {
            const int value = joinSensitivity({at, vel});
            EXPECT_GE(value, 0);
            EXPECT_LE(value, 127);
            EXPECT_EQ(splitSensitivity(value), (Sensitivity{at, vel})) << at << " " << vel;
        }
    EXPECT_EQ(joinSensitivity({-1, -1}), 16 * 7 + 10);
    EXPECT_EQ(joinSensitivity({-3, -5}), 16 * 5 + 6);
    EXPECT_EQ(joinSensitivity({3, 5}), 16 * 3 + 5);
}

TEST(ToneValues, LfoRoutingBelongsToFmElementsOnly) {
    const LfoDepth both{9, {true, true}};
    const LfoDepth none{9, {false, false}};
    // A and C always carry routing 1, whatever the (absent) boxes say.
    EXPECT_EQ(joinLfoDepth(kLfoAmBase, A, both), 16 + 9);
    EXPECT_EQ(joinLfoDepth(kLfoPmBase, C, none), 32 + 9);
    EXPECT_EQ(joinLfoDepth(kLfoAmBase, B, none), 9);
    EXPECT_EQ(joinLfoDepth(kLfoAmBase, D, {9, {false, true}}), 2 * 16 + 9);
    EXPECT_EQ(joinLfoDepth(kLfoPmBase, B, {31, {true, true}}), 3 * 32 + 31);
    for (int high = 0; high <= 3; ++high) {
        const LfoDepth d = splitLfoDepth(kLfoPmBase, high * 32 + 7);
        EXPECT_EQ(d.depth, 7);
        EXPECT_EQ(d.routing.toModulator, high == 1 || high == 3);
        EXPECT_EQ(d.routing.toCarrier, high == 2 || high == 3);
        EXPECT_EQ(joinLfoDepth(kLfoPmBase, D, d), high * 32 + 7);
    }
    EXPECT_EQ(splitFormSpeed(4 * 32 + 31), (LfoFormSpeed{4, 31}));
    EXPECT_EQ(joinFormSpeed({2, 0}), 64);
}

TEST(ToneValues, UserDefinedElementKeepsItsBlockWhenStored) {
    MorvexState s = shippedVoice();
    s.voiceData[55] = 1;
    s.fmParams[0].fill(42);
    s.voiceData[62] = 5;
    ToneControls shown = ReadToneControls(s);
    EXPECT_EQ(shown.elements[B].wave, kUserDefinedWave);
    EXPECT_NE(shown.elements[D].wave, kUserDefinedWave);

    shown.elements[D].wave = kUserDefinedWave; // picked in the list, then stored
    const MorvexState before = s;
    StoreToneControls(s, shown, kDataDir);
    EXPECT_EQ(s.voiceParams.wave[B], 255);
    EXPECT_EQ(s.voiceParams.wave[D], 255);
    EXPECT_EQ(s.voiceData[55], 1);
    EXPECT_EQ(s.voiceData[129], 1);
    EXPECT_EQ(s.fmParams, before.fmParams);
    EXPECT_EQ(s.voiceData[62], 5);
    // A reload shows both as user-defined again.
    EncodeVoice(s);
    DecodeVoice(s);
    EXPECT_EQ(s.voiceParams.wave[B], kUserDefinedWave);
    EXPECT_EQ(s.voiceParams.wave[D], kUserDefinedWave);
}

TEST(ToneValues, StoreReportsAMissingListAndGoesOn) {
    testing_support::TempDir empty;
    MorvexState s = shippedVoice();
    ToneControls shown = ReadToneControls(s);
    shown.elements[A].volume = 12;
    const auto reports = StoreToneControls(s, shown, empty.path().string());
    ASSERT_EQ(reports.size(), 2u); // B and D
    EXPECT_EQ(reports[0].text, "File \"morvex.lst\" not found!");
    EXPECT_EQ(s.voiceParams.volume[A], 12);
}

TEST(ToneValues, RandomWavesDrawEightHundredTimesAndLoadPresets) {
    MorvexState s = shippedVoice();
    s.voiceData[55] = 1;
    RandomSource source(7), reference(7);
    EXPECT_TRUE(RandomizeWaves(s, source, kDataDir).empty());

    const PerElement expected = {reference.pick(128, 800), reference.pick(256, 800),
                                 reference.pick(128, 800), reference.pick(256, 800)};
    EXPECT_EQ(s.voiceParams.wave, expected);
    EXPECT_EQ(source.pick(1000, 1), reference.pick(1000, 1)); // no extra draws
    EXPECT_EQ(s.voiceData[55], 0); // B holds a preset now, not the user's block
    const MorvexState preset = withPreset(shippedVoice(), expected[D], FmElement::D);
    EXPECT_EQ(s.fmParams[1], preset.fmParams[1]);
    EXPECT_EQ(ReadToneControls(s).elements[B].wave, expected[B]);
}

TEST(ToneValues, RandomLfoDrawsInOrderAndReseeds) {
    RandomSource seeded(3), reference(3);
    const LfoDraws draws = DrawLfoValues(seeded);
    PerElement expectedAm{}, expectedPm{}, expectedSpeed{};
    for (int& v : expectedAm) v = reference.pick(16, 400);
    for (int& v : expectedPm) v = reference.pick(32, 400);
    for (int& v : expectedSpeed) v = reference.pick(32, 400);
    EXPECT_EQ(draws.am, expectedAm);
    EXPECT_EQ(draws.pm, expectedPm);
    EXPECT_EQ(draws.speed, expectedSpeed);

    MorvexState s = shippedVoice();
    ToneControls shown = ReadToneControls(s);
    RandomSource source(3);
    RandomizeLfo(s, source, shown);
    LfoDraws got{};
    for (int e = 0; e < kElementCount; ++e) {
        got.am[e] = shown.elements[e].am.depth;
        got.pm[e] = shown.elements[e].pm.depth;
        got.speed[e] = shown.elements[e].formSpeed.speed;
    }
    // Reseeded from the clock: not the sequence the seed 3 gives.
    EXPECT_FALSE(got.am == draws.am && got.pm == draws.pm && got.speed == draws.speed);
}
