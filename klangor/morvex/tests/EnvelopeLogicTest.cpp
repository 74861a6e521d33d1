#include "morvex/EnvelopeLogic.h"
#include "morvex/EnvelopeGraph.h"

#include <gtest/gtest.h>

using namespace morvex;

namespace {

TEST(EnvelopeTypes, PresetsSnapshotAndUser) {
    EnvelopeSnapshot snapshot{};
    snapshot[B] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 2};
    EXPECT_EQ(envelopeForType(2, snapshot, B),
              (EnvelopeRecord{67, 99, 99, 92, 40, 0, 28, 64, 1, 3}));
    EXPECT_EQ(envelopeForType(7, snapshot, D), (EnvelopeRecord{0, 99, 99, 99, 0, 99, 0, 78, 1, 1}));
    EXPECT_EQ(envelopeForType(0, snapshot, B), snapshot[B]);
    // "User" is a marker only, and nothing outside the list may index the preset table.
    EXPECT_FALSE(envelopeForType(1, snapshot, B));
    EXPECT_FALSE(envelopeForType(8, snapshot, B));
    EXPECT_FALSE(envelopeForType(-1, snapshot, B));
    EXPECT_FALSE(envelopeForType(0, snapshot, 4));

    // "Copy Parameters" takes typed text: only the four letters name an element.
    EXPECT_EQ(elementFromLetter("D"), 3);
    for (const char* text : {"a", "E", "AB", ""}) EXPECT_FALSE(elementFromLetter(text)) << text;
}

TEST(EnvelopeTypes, ScalingTypesAreOneBasedOverTheZeroBasedValue) {
    EXPECT_EQ(scalingTypesOf(0x23), (ScalingTypes{3, 4}));
    EXPECT_EQ(scalingTypesOf(0), (ScalingTypes{1, 1}));
    EXPECT_EQ(scalingTypesOf(0xF7), (ScalingTypes{16, 8}));
    EXPECT_EQ(scalingValueOf(16, 8), 0xF7);
    EXPECT_EQ(scalingValueOf(1, 1), 0);

    VoiceParams p;
    p.initialLevel[C] = 11;
    p.releaseRate[C] = 18;
    p.scaling[C] = 0x23;
    const EnvelopeRecord r = envelopeOf(p, C);
    EXPECT_EQ(r[kInitial], 11);
    EXPECT_EQ(r[kReleaseRate], 18);
    EXPECT_EQ(r[kLevelType], 3);
    EXPECT_EQ(r[kRateType], 4);

    EXPECT_EQ(levelScalingPicture("/data", 3), "/data/bmp/Sclev3.bmp");
    EXPECT_EQ(rateScalingPicture("/data", 4), "/data/bmp/Scrate4.bmp");
}

TEST(RandomEnvelopes, LevelsStayBelowTheirParents) {
    RandomSource source(7);
    for (int round = 0; round < 200; ++round) {
        VoiceParams p;
        drawRandomEnvelopes(p, source);
        for (int e = 0; e < kElementCount; ++e) {
            EXPECT_GE(p.attackLevel[e], 50);
            EXPECT_LE(p.attackLevel[e], 99);
            EXPECT_LT(p.initialLevel[e], p.attackLevel[e]);
            EXPECT_LT(p.decay1Level[e], p.attackLevel[e]);
            if (p.decay1Level[e] == 0)
                EXPECT_EQ(p.decay2Level[e], 0);
            else
                EXPECT_LT(p.decay2Level[e], p.decay1Level[e]);
            for (int rate : {p.attackRate[e], p.decay1Rate[e], p.decay2Rate[e]}) {
                EXPECT_GE(rate, 0);
                EXPECT_LE(rate, 99);
            }
            EXPECT_GE(p.initialLevel[e], 0);
            EXPECT_GE(p.decay2Level[e], 0);
        }
    }
}

// The draw counts and order decide which numbers a seed gives; a change of either would make the
// button behave differently from one build to the next for the same seed.
TEST(RandomEnvelopes, DrawsFiveHundredPerValueStepByStep) {
    RandomSource drawn(1234), expected(1234);
    VoiceParams p;
    drawRandomEnvelopes(p, drawn);
    PerElement al{}, ar{}, il{}, d1l{}, d1r{}, d2l{}, d2r{};
    for (int& v : al) v = expected.pick(50, 500) + 50;
    for (int& v : ar) v = expected.pick(100, 500);
    for (int e = 0; e < 4; ++e) il[e] = expected.pick(al[e], 500);
    for (int e = 0; e < 4; ++e) d1l[e] = expected.pick(al[e], 500);
    for (int& v : d1r) v = expected.pick(100, 500);
    for (int e = 0; e < 4; ++e) d2l[e] = expected.pick(d1l[e], 500);
    for (int& v : d2r) v = expected.pick(100, 500);
    EXPECT_EQ(p.attackLevel, al);
    EXPECT_EQ(p.attackRate, ar);
    EXPECT_EQ(p.initialLevel, il);
    EXPECT_EQ(p.decay1Level, d1l);
    EXPECT_EQ(p.decay1Rate, d1r);
    EXPECT_EQ(p.decay2Level, d2l);
    EXPECT_EQ(p.decay2Rate, d2r);
    EXPECT_EQ(drawn.pick(1000, 1), expected.pick(1000, 1)); // nothing drawn beyond that

    // The button reseeds: two presses from the same state do not repeat each other.
    RandomSource a(1), b(1);
    VoiceParams pa, pb;
    RandEnvelopes(pa, a);
    drawRandomEnvelopes(pb, b);
    EXPECT_NE(pa, pb);
}

TEST(EnvelopeGraph, MappingsAndBaselinesOfTheDesignSize) {
    EXPECT_EQ(levelHeight(99), 70);
    EXPECT_EQ(levelHeight(0), 0);
    EXPECT_EQ(levelHeight(50), 4); // 70 * e^-2.94 = 3.70
    EXPECT_EQ(rateWidth(0), 600);
    EXPECT_EQ(rateWidth(99), 0);
    EXPECT_EQ(rateWidth(40), 11); // 600 * e^-4 = 10.99
    EXPECT_EQ(rateWidth(-100), 600) << "out-of-range rates from a file are drawn at the limit";

    const VoiceParams p;
    const auto curves = EnvelopeCurves(p, kGraphLeft, kGraphWidth, kGraphHeight);
    const int baselines[] = {74, 147, 220, 293};
    const char* labels = "ABCD";
    for (int e = 0; e < 4; ++e) {
        EXPECT_EQ(curves[e].baselineStart, (GraphPoint{16, baselines[e]}));
        EXPECT_EQ(curves[e].baselineEnd, (GraphPoint{777, baselines[e]}));
        EXPECT_EQ(curves[e].labelAt, (GraphPoint{0, baselines[e] - 16}));
        EXPECT_EQ(curves[e].label, labels[e]);
    }
    EXPECT_EQ(curves[A].color, (GraphColor{255, 0, 255}));
    EXPECT_EQ(curves[D].color, (GraphColor{0, 255, 255}));
}

TEST(EnvelopeGraph, CurvesFollowLevelsAndRates) {
    VoiceParams p;
    // A: everything 99 collapses onto one point 70 pixels up.
    for (auto* v : {&p.initialLevel, &p.attackLevel, &p.attackRate, &p.decay1Level, &p.decay1Rate,
                    &p.decay2Level, &p.decay2Rate})
        (*v)[A] = 99;
    // B: attack rate 0 runs 600 pixels; then slow decays push the curve past the right edge.
    p.initialLevel[B] = 0;
    p.attackLevel[B] = 99;
    p.attackRate[B] = 0;
    p.decay1Level[B] = 50;
    p.decay1Rate[B] = 10;
    p.decay2Level[B] = 0;
    p.decay2Rate[B] = 40;
    const auto curves = EnvelopeCurves(p, kGraphLeft, kGraphWidth, kGraphHeight);

    for (const GraphPoint& pt : curves[A].points) EXPECT_EQ(pt, (GraphPoint{16, 4}));
    EXPECT_EQ(curves[A].sustainEnd, (GraphPoint{777, 4}));

    const auto& b = curves[B].points;
    EXPECT_EQ(b[0], (GraphPoint{16, 147}));
    EXPECT_EQ(b[1], (GraphPoint{616, 77}));
    EXPECT_EQ(b[2], (GraphPoint{616 + 221, 143})); // 600 * e^-1 = 220.7
    EXPECT_EQ(b[3], (GraphPoint{837 + 11, 147}));
    EXPECT_EQ(curves[B].sustainEnd, (GraphPoint{777, 147}));

    // Another size moves the bands with the bottom edge.
    const auto small = EnvelopeCurves(p, 5, 100, 200);
    EXPECT_EQ(small[D].baselineStart, (GraphPoint{5, 196}));
    EXPECT_EQ(small[A].baselineStart, (GraphPoint{5, 196 - 3 * 73}));
    EXPECT_EQ(small[A].points[0], (GraphPoint{5, -23 - 70}));
}

} // namespace
