#include "morvex/VectorTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

using namespace morvex;

namespace {

VectorTableTexts uniformTexts(const VectorRowTexts& row) {
    VectorTableTexts t;
    t.fill(row);
    return t;
}

// The first draw of a sequence picks the step that gets the repeat mark.
int repeatStepFor(std::uint32_t seed) {
    RandomSource replay(seed);
    return replay.pick(kVectorSteps, 400);
}

} // namespace

TEST(VectorTable, CellIntegerConversion) {
    struct Case {
        const char* text;
        CellNumber expected;
    };
    const Case cases[] = {
        {"12", {12, true}},
        {"   -5", {-5, true}},
        {"+7", {7, true}},
        {"$1F", {31, true}},
        {"-$10", {-16, true}},
        {"-2147483648", {INT_MIN, true}},
        // Bad cells keep the digits in front of the first bad character.
        {"", {0, false}},
        {"   ", {0, false}},
        {"-", {0, false}},
        {"$", {0, false}},
        {"12a", {12, false}},
        {"-3x4", {-3, false}},
        {"1 ", {1, false}},
        {"$1G", {1, false}},
        {"0x10", {0, false}},
        {"1.5", {1, false}},
        // A digit that would overflow is where the number ends.
        {"2147483648", {214748364, false}},
        {"99999999999", {999999999, false}},
    };
    for (const Case& c : cases) EXPECT_EQ(readCellInteger(c.text), c.expected) << c.text;
}

TEST(VectorTable, LengthCellsTakeTheMarksSpeltExactly) {
    EXPECT_EQ(readLengthCell("Rep"), (CellNumber{kRepeatMark, true}));
    EXPECT_EQ(readLengthCell("End"), (CellNumber{kEndMark, true}));
    EXPECT_EQ(readLengthCell("end"), (CellNumber{0, false}));
    EXPECT_EQ(readLengthCell("REP"), (CellNumber{0, false}));
    EXPECT_EQ(readLengthCell(" End"), (CellNumber{0, false}));
    EXPECT_EQ(readLengthCell("254"), (CellNumber{kRepeatMark, true}));

    VectorSteps steps{};
    steps[0] = {3, -31, 31};
    steps[1] = {5, 0, 0};
    steps[2] = {kRepeatMark, 1, -1};
    steps[3] = {kEndMark, 0, 0};
    std::vector<Report> warnings;
    EXPECT_EQ(readVectorTable(vectorTableTexts(steps), VectorKind::Level, warnings), steps);
    EXPECT_TRUE(warnings.empty());
}

TEST(VectorTable, EveryBadCellWarnsAndStoresItsPartialNumber) {
    VectorTableTexts t = uniformTexts({"1", "2", "3"});
    t[4] = {"7", "8", "end"};
    t[9] = {"4q", "-", "9"};
    std::vector<Report> warnings;
    const VectorSteps level = readVectorTable(t, VectorKind::Level, warnings);
    EXPECT_EQ(level[4], (VectorStep{0, 7, 8}));
    EXPECT_EQ(level[9], (VectorStep{9, 4, 0}));
    EXPECT_EQ(level[10], (VectorStep{3, 1, 2}));
    ASSERT_EQ(warnings.size(), 3u);
    EXPECT_EQ(warnings[0].text, "Wrong character in LevelEdit table (Column 3)");
    EXPECT_EQ(warnings[0].caption, "Error");
    EXPECT_EQ(warnings[0].icon, Report::Icon::Warning);
    EXPECT_EQ(warnings[1].text, "Wrong character in LevelEdit table (Column 1)");
    EXPECT_EQ(warnings[2].text, "Wrong character in LevelEdit table (Column 2)");

    warnings.clear();
    const VectorSteps detune =
        readVectorTable(uniformTexts({"", "", ""}), VectorKind::Detune, warnings);
    EXPECT_EQ(detune, VectorSteps{});
    ASSERT_EQ(warnings.size(), 150u);
    EXPECT_EQ(warnings.front().text, "Wrong character in DetuneEdit table (Column 1)");
    EXPECT_EQ(warnings.back().text, "Wrong character in DetuneEdit table (Column 3)");
}

TEST(VectorTable, NumbersOutsideTheirColumnsRangeWarnAndAreStoredAsTyped) {
    struct Case {
        VectorRowTexts row;
        VectorStep stored;
        std::vector<std::string> warnings;
    };
    const Case cases[] = {
        {{"-31", "31", "255"}, {255, -31, 31}, {}},
        {{"0", "0", "0"}, {0, 0, 0}, {}},
        {{"32", "-32", "256"},
         {256, 32, -32},
         {"32 is outside -31..31 in DetuneEdit table (Column 1)",
          "-32 is outside -31..31 in DetuneEdit table (Column 2)",
          "256 is outside 0..255 in DetuneEdit table (Column 3)"}},
        {{"-2147483648", "$7FFFFFFF", "-1"},
         {-1, INT_MIN, INT_MAX},
         {"-2147483648 is outside -31..31 in DetuneEdit table (Column 1)",
          "2147483647 is outside -31..31 in DetuneEdit table (Column 2)",
          "-1 is outside 0..255 in DetuneEdit table (Column 3)"}},
        // A cell that is not a number says so, and only that.
        {{"40x", "", "End"},
         {kEndMark, 40, 0},
         {"Wrong character in DetuneEdit table (Column 1)",
          "Wrong character in DetuneEdit table (Column 2)"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row[0] + " " + c.row[1] + " " + c.row[2]);
        VectorTableTexts texts = uniformTexts({"1", "2", "3"});
        texts[20] = c.row;
        std::vector<Report> warnings;
        const VectorSteps steps = readVectorTable(texts, VectorKind::Detune, warnings);
        EXPECT_EQ(steps[20], c.stored);
        std::vector<std::string> shown;
        for (const Report& w : warnings) {
            EXPECT_EQ(w.caption, "Error");
            EXPECT_EQ(w.icon, Report::Icon::Warning);
            shown.push_back(w.text);
        }
        EXPECT_EQ(shown, c.warnings);
    }
}

TEST(VectorTable, RandomWalksStayInsideTheirBoundsUpToTheRepeatMark) {
    const VectorRandomSettings settingsList[] = {
        {4, 4, 20, 20}, {1, 256, 31, 5}, {9, 1, 3, 31}, {1, 10, 1, 1}};
    for (const VectorRandomSettings& s : settingsList) {
        for (std::uint32_t seed = 1; seed <= 60; ++seed) {
            RandomSource source(seed);
            const VectorSteps steps = drawRandomVector(s, source);
            const int n = repeatStepFor(seed);
            ASSERT_EQ(steps[n].time, kRepeatMark) << "seed " << seed;
            EXPECT_GE(steps[0].x, -s.maxX);
            EXPECT_LT(steps[0].x, std::max(1, s.maxX));
            for (int i = 0; i < n; ++i) {
                EXPECT_GE(steps[i].time, 0);
                EXPECT_LT(steps[i].time, s.maxRate);
            }
            for (int i = 0; i <= n; ++i) {
                EXPECT_LE(std::abs(steps[i].x), s.maxX) << "seed " << seed << " step " << i;
                EXPECT_LE(std::abs(steps[i].y), s.maxY) << "seed " << seed << " step " << i;
            }
            for (int i = n + 1; i < kVectorSteps; ++i) EXPECT_EQ(steps[i], VectorStep{});
        }
    }
}

TEST(VectorTable, RandomWithoutRoomOrLengths) {
    const VectorRandomSettings still{4, 0, 0, 0};
    bool sawRepeatOnFirstStep = false;
    for (std::uint32_t seed = 1; seed <= 300; ++seed) {
        RandomSource source(seed);
        const VectorSteps steps = drawRandomVector(still, source);
        const int n = repeatStepFor(seed);
        sawRepeatOnFirstStep |= n == 0;
        for (int i = 0; i < kVectorSteps; ++i) {
            EXPECT_EQ(steps[i].x, 0);
            EXPECT_EQ(steps[i].y, 0);
            EXPECT_EQ(steps[i].time, i == n ? kRepeatMark : 0);
        }
    }
    // The repeat mark replaces the first length when it lands on the first step.
    EXPECT_TRUE(sawRepeatOnFirstStep);

    // A finesse of 0 cannot come from the page; it must not divide by zero either.
    RandomSource source(7);
    const VectorSteps steps = drawRandomVector({0, 4, 31, 31}, source);
    for (const VectorStep& s : steps) EXPECT_LE(std::abs(s.x), 31);
}
