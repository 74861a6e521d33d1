#include "morvex/Arithmetic.h"
#include "morvex/RandomSource.h"
#include "morvex/ScaleTables.h"

#include <gtest/gtest.h>

using namespace morvex;

namespace {

TEST(ScaleTables, EndpointsMidpointAndMonotony) {
    const ScaleTables& t = BuildScaleTables();
    EXPECT_EQ(t.to99[0], 0);
    EXPECT_EQ(t.to99[127], 99);
    EXPECT_EQ(t.to127[0], 0);
    EXPECT_EQ(t.to127[99], 127);
    EXPECT_EQ(t.to99[64], 50);
    EXPECT_EQ(t.to127[50], 64);
    for (int i = 1; i < 128; ++i) EXPECT_LE(t.to99[i - 1], t.to99[i]) << i;
    for (int i = 1; i < 100; ++i) EXPECT_LT(t.to127[i - 1], t.to127[i]) << i;
}

// Bytes from a file and values typed into a script may be anything; and a page value sent and read
// back must come back unchanged, or every decode/encode cycle would drift the voice.
TEST(ScaleTables, LookUpsClampAndPageValuesSurviveTheByte) {
    EXPECT_EQ(Scale127To99(-5), 0);
    EXPECT_EQ(Scale127To99(255), 99);
    EXPECT_EQ(Scale99To127(-1), 0);
    EXPECT_EQ(Scale99To127(100), 127);
    for (int v = 0; v <= 99; ++v) EXPECT_EQ(Scale127To99(Scale99To127(v)), v) << v;
}

TEST(Arithmetic, DivModTruncatesTowardZeroAndMulAddUndoesIt) {
    EXPECT_EQ(DivMod(16, 37), (HighLow{2, 5}));
    EXPECT_EQ(DivMod(16, -37), (HighLow{-2, -5}));
    EXPECT_EQ(DivMod(16, 16), (HighLow{1, 0}));
    EXPECT_EQ(DivMod(32, -1), (HighLow{0, -1}));
    for (int value : {-255, -37, -16, -1, 0, 1, 31, 32, 255}) {
        const HighLow hl = DivMod(16, value);
        EXPECT_EQ(MulAdd(16, hl.high, hl.low), value) << value;
    }
}

TEST(Arithmetic, SplitBitsGivesWeightsNotOnes) {
    EXPECT_EQ(SplitBits(5), (std::array<int, 7>{1, 0, 4, 0, 0, 0, 0}));
    EXPECT_EQ(SplitBits(64), (std::array<int, 7>{0, 0, 0, 0, 0, 0, 64}));
    EXPECT_EQ(SplitBits(127), (std::array<int, 7>{1, 2, 4, 8, 16, 32, 64}));
}

TEST(RandPick, EdgeCasesOfTheContract) {
    RandomSource source(42);
    EXPECT_EQ(source.pick(7, 0), 7); // no draw: the caller's value stands
    EXPECT_EQ(source.pick(0, 5), 0); // nothing to draw from
    EXPECT_EQ(source.pick(-3, 5), 0);
    EXPECT_EQ(source.pick(1, 50), 0);
    for (int i = 0; i < 1000; ++i) {
        const int r = source.pick(10, 1 + i % 3);
        ASSERT_GE(r, 0);
        ASSERT_LT(r, 10);
    }
}

TEST(RandPick, SameSeedSameSequenceAndEveryDrawCounts) {
    RandomSource a(7), b(7);
    for (int i = 0; i < 20; ++i) EXPECT_EQ(a.pick(100, 3), b.pick(100, 3));

    // A page that draws 400 times must leave the generator where 400 single draws would.
    RandomSource many(99), single(99);
    int last = -1;
    const int picked = many.pick(10, 400);
    for (int i = 0; i < 400; ++i) last = single.pick(10, 1);
    EXPECT_EQ(picked, last);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(many.pick(1000, 1), single.pick(1000, 1));

    // k = 0 draws nothing.
    RandomSource idle(5), fresh(5);
    idle.pick(10, 0);
    EXPECT_EQ(idle.pick(1000, 1), fresh.pick(1000, 1));
}

} // namespace
