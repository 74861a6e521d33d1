#include "morvex/FmEditLogic.h"

#include <gtest/gtest.h>

#include <string>

using namespace morvex;

namespace {

int fieldIndex(std::string_view suffix) {
    const auto& f = fmEditFields();
    for (int i = 0; i < kFmEditFieldCount; ++i)
        if (f[i].suffix == suffix) return i;
    ADD_FAILURE() << "no field " << suffix;
    return 0;
}

FmBlock filled(int value) {
    FmBlock b;
    b.fill(value);
    return b;
}

int box(const FmEditValues& v, std::string_view suffix) {
    return v[fieldIndex(suffix)];
}

// The page's boxes show the block whole: storing them gives the same block back.
void expectShownAsItIs(const FmBlock& block) {
    FmBlock stored = block;
    storeFmEditValues(fmEditValues(block), stored);
    EXPECT_EQ(stored, block);
}

} // namespace

TEST(FmEditLogic, BoxesClampAndStoringKeepsWhatThePageDoesNotShow) {
    FmBlock block;
    block.fill(123);
    block[1] = 2; // only exactly 1 checks a box
    block[7] = 1;
    block[18] = 255;
    block[20] = 0x2A;
    const FmEditValues v = fmEditValues(block);
    EXPECT_EQ(box(v, "1"), 0);
    EXPECT_EQ(box(v, "7"), 1);
    EXPECT_EQ(box(v, "18a"), 7); // 15, clamped
    EXPECT_EQ(box(v, "18b"), 15);
    EXPECT_EQ(box(v, "20a"), 2);
    EXPECT_EQ(box(v, "20b"), 10);
    EXPECT_EQ(box(v, "16"), 99);

    FmBlock stored = block;
    storeFmEditValues(v, stored);
    for (int p : {0, 3, 5, 19}) EXPECT_EQ(stored[p], 123) << p;
    EXPECT_EQ(stored[1], 0);
    EXPECT_EQ(stored[18], 7 * 16 + 15);
    EXPECT_EQ(stored[20], 0x2A);
    EXPECT_EQ(stored[16], 99);
}

TEST(FmEditLogic, FieldTableAndDesignValues) {
    int stepping = 0;
    for (const FmEditField& f : fmEditFields()) {
        stepping += f.tenStepping;
        EXPECT_EQ(f.tenStepping, f.group == FmFieldGroup::Modulator) << f.suffix;
    }
    EXPECT_EQ(stepping, 14);
    const FmEditValues b = fmEditDesignValues(FmElement::B);
    EXPECT_EQ(box(b, "2a"), 7);
    EXPECT_EQ(box(b, "2b"), 15);
    EXPECT_EQ(box(b, "4a"), 3);
    EXPECT_EQ(box(b, "4b"), 15);
    EXPECT_EQ(box(b, "8"), 0);
    EXPECT_EQ(fmEditDesignValues(FmElement::D), FmEditValues{});
}

TEST(FmEditLogic, RandomFmBDrawsFromTheGeneratorAsItStands) {
    MorvexState s;
    s.fmParams[0].fill(200);
    s.fmParams[1].fill(201);
    RandomSource source(42);
    RandomFMBVal(s, source);

    RandomSource replay(42);
    // A pair of boxes is one draw over their combinations (high = draw / lows, low = draw % lows).
    const auto pair = [&](int highs, int lows) {
        const int drawn = replay.pick(highs * lows, 350);
        return 16 * (drawn / lows) + drawn % lows;
    };
    const FmBlock& b = s.fmParams[0];
    EXPECT_EQ(b[0], 200);
    EXPECT_EQ(b[19], 200);
    for (int p = 1; p <= 18; ++p) {
        const bool twoWay = p == 1 || p == 5 || p == 7 || p == 9 || p == 17;
        const int expected = p == 2 || p == 18 ? pair(8, 16)
                             : p == 4          ? pair(4, 16)
                             : p == 6          ? pair(16, 8)
                                               : replay.pick(twoWay ? 2 : 100, 350);
        EXPECT_EQ(b[p], expected) << "position " << p;
    }
    EXPECT_EQ(b[20], pair(4, 16));
    expectShownAsItIs(b);
    EXPECT_EQ(s.fmParams[1], filled(201));
    EXPECT_EQ(s.voiceData[55], 1);
    EXPECT_EQ(s.voiceData[129], 0);
}

TEST(FmEditLogic, RandomFmDReseedsAndMarksOnlyD) {
    MorvexState first, second;
    first.fmParams[0].fill(7);
    RandomSource a(5), b(5);
    RandomFMDVal(first, a);
    RandomFMDVal(second, b);
    // The same generator state before the button must not give the same block after it.
    EXPECT_NE(first.fmParams[1], second.fmParams[1]);
    const FmBlock& d = first.fmParams[1];
    EXPECT_EQ(d[0], 0);
    EXPECT_EQ(d[19], 0);
    for (int p : {1, 5, 7, 9, 17}) EXPECT_LE(d[p], 1);
    expectShownAsItIs(d);
    EXPECT_EQ(first.fmParams[0][3], 7);
    EXPECT_EQ(first.voiceData[129], 1);
    EXPECT_EQ(first.voiceData[55], 0);
}
