#include "morvex/WaveNames.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

using namespace morvex;

namespace {

// Wave numbers are stored in voices, so a name one slot off loads the wrong wave silently.
TEST(WaveNames, FmFamilyBoundariesSitAtTheirWaveNumbers) {
    const auto& fm = FmWaveNames();
    const std::pair<int, std::string_view> expected[] = {
        {0, "E.Piano1"},   {5, "E.Piano6"},  {6, "E.Organ1"},   {14, "Brass 1"},
        {27, "Brass 14"},  {74, "Marimba1"}, {76, "Marimba3"},  {112, "Sus. 15"},
        {142, "Decay 18"}, {149, "SFX 7"},   {150, "Sin 16'"},  {153, "Sin2 2/3"},
        {154, "Sin 2'"},   {157, "Square"},  {158, "LFONoise"}, {161, "Digi 1"},
        {171, "Digi 11"},  {172, "Wave1-1"}, {174, "Wave1-3"},  {175, "Wave2-1"},
        {252, "Wave27-3"}, {253, "Wave28"},  {255, "Wave30"},   {kUserDefinedWave, "UserDefined"},
    };
    for (const auto& [index, name] : expected) EXPECT_EQ(fm[index], name) << "FM wave " << index;
}

TEST(WaveNames, AwmNamesWithInchMarksAndTheLastEntries) {
    const auto& awm = AwmWaveNames();
    EXPECT_EQ(awm[0], "Piano");
    EXPECT_EQ(awm[116], "Tri");
    EXPECT_EQ(awm[117], "Sin8\"");
    EXPECT_EQ(awm[118], "Sin8\"+4\"");
    EXPECT_EQ(awm[119], "SEQ 1");
    EXPECT_EQ(awm[126], "SEQ 8");
    EXPECT_EQ(awm[127], "Drum Set");
}

TEST(WaveNames, NamesAreNonEmptyAndUnique) {
    const auto& fm = FmWaveNames();
    const auto& awm = AwmWaveNames();
    for (std::string_view name : fm) EXPECT_FALSE(name.empty());
    for (std::string_view name : awm) EXPECT_FALSE(name.empty());
    EXPECT_EQ(std::set<std::string_view>(fm.begin(), fm.end()).size(), fm.size());
    EXPECT_EQ(std::set<std::string_view>(awm.begin(), awm.end()).size(), awm.size());
}

std::vector<std::string> presetListLines() {
    std::ifstream file(std::string(KLANGOR_DATA_DIR) + "/morvex.lst", std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(file), {}};
    std::vector<std::string> lines;
    for (std::size_t pos = 0, end; (end = text.find('\n', pos)) != std::string::npos; pos = end + 1)
        lines.push_back(text.substr(pos, end - pos));
    EXPECT_TRUE(text.empty() || text.back() == '\n') << "last line not terminated";
    return lines;
}

TEST(FmPresetListFile, HasOneBlockPerPresetWave) {
    const auto lines = presetListLines();
    ASSERT_EQ(lines.size(), std::size_t(kFmPresetCount));
    for (std::size_t k = 0; k < lines.size(); ++k) EXPECT_EQ(lines[k].size(), 21u) << "line " << k;
}

TEST(FmPresetListFile, EveryByteDecodesIntoItsParameterRange) {
    const auto lines = presetListLines();
    for (std::size_t k = 0; k < lines.size(); ++k) {
        for (std::size_t i = 0; i < lines[k].size(); ++i) {
            const int c = static_cast<unsigned char>(lines[k][i]);
            SCOPED_TRACE("line " + std::to_string(k) + " byte " + std::to_string(i));
            // 32..55 would be a small value written unshifted, 127..199 no value at all.
            ASSERT_TRUE((c >= 56 && c <= 126) || c >= 200) << "character code " << c;
            const int v = c >= 200 ? c - 200 : c;
            // Feedback is 0..7; bytes 1, 5, 9 and 17 are flags (the check bytes count them as
            // such); everything else, the inverted levels included, stays below 127.
            const bool flag = i == 1 || i == 5 || i == 9 || i == 17;
            EXPECT_LE(v, i == 0 ? 7 : flag ? 1 : 126);
        }
    }
}

} // namespace
