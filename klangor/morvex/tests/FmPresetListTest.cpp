#include "morvex/FmPresetList.h"
#include "morvex/FmEditLogic.h"
#include "morvex/ParameterMap.h"
#include "morvex/ScaleTables.h"
#include "morvex/ToneValues.h"
#include "morvex/VoiceCodec.h"
#include "morvex/WaveNames.h"
#include "testing/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

using namespace morvex;

namespace {

// A list line: byte values 0..55 are stored as character codes 200..255.
std::string sampleLine() {
    std::string s(21, '\0');
    for (int i = 0; i < 21; ++i) s[i] = static_cast<char>(60 + i);
    s[0] = static_cast<char>(201); // byte 1
    s[3] = 55;
    s[5] = static_cast<char>(201);  // flags index 6
    s[6] = static_cast<char>(210);  // byte 10
    s[7] = static_cast<char>(150);  // above 127 is fine where no scale reads it
    s[13] = static_cast<char>(200); // byte 0
    s[16] = 127;
    s[20] = static_cast<char>(213); // byte 13 must survive cutting the line end
    return s;
}
const std::string kFlat(21, 'Z'); // every byte 90

void writeList(const testing_support::TempDir& dir, const std::string& content) {
    std::ofstream(dir.file(kFmPresetListName), std::ios::binary) << content;
}

// A state whose every value is recognisable, to prove what a load did or did not touch.
MorvexState markedState() {
    MorvexState s;
    s.voiceData.fill(77);
    for (auto& block : s.fmParams) block.fill(66);
    s.voiceParams.toneFeedback = {5, 6};
    s.voiceParams.toneLevel = {7, 8};
    return s;
}

TEST(FmPresetList, LoadsOneLineIntoBlockParamsAndToneValues) {
    testing_support::TempDir dir;
    writeList(dir, kFlat + "\n" + sampleLine() + "\n");
    MorvexState s = markedState();
    ASSERT_FALSE(LoadFmPreset(s, 1, FmElement::D, dir.path().string()));
    const FmBlock& p = s.fmParams[1];
    EXPECT_EQ(s.voiceParams.toneFeedback[1], 1);
    EXPECT_EQ(s.voiceParams.toneLevel[1], Scale127To99(127 - 55));
    const int base = 136;
    EXPECT_EQ(s.voiceData[base + 0], 1);
    EXPECT_EQ(s.voiceData[base + 6], 10);
    EXPECT_EQ(s.voiceData[base + 7], 150);
    EXPECT_EQ(s.voiceData[base + 13], 0);
    EXPECT_EQ(s.voiceData[base + 20], 13);
    EXPECT_EQ(p[6], 138);
    EXPECT_EQ(p[13], 99);
    EXPECT_EQ(p[16], 0);
    // B and the bytes around D's block are not D's business.
    EXPECT_EQ(s.fmParams[0], markedState().fmParams[0]);
    EXPECT_EQ(s.voiceParams.toneFeedback[0], 5);
    EXPECT_EQ(s.voiceData[base - 1], 77);
    EXPECT_EQ(s.voiceData[base + 21], 77);
}

TEST(FmPresetList, CrLfAndAMissingFinalLineEnd) {
    testing_support::TempDir dir;
    MorvexState s = markedState();
    writeList(dir, kFlat + "\r\n" + sampleLine() + "\r\n");
    ASSERT_FALSE(LoadFmPreset(s, 1, FmElement::B, dir.path().string()));
    EXPECT_EQ(s.voiceData[62 + 20], 13);
    EXPECT_EQ(s.fmParams[0][6], 138);
    ASSERT_FALSE(LoadFmPreset(s, 0, FmElement::B, dir.path().string()));
    EXPECT_EQ(s.fmParams[0][6], 90);
    writeList(dir, sampleLine());
    ASSERT_FALSE(LoadFmPreset(s, 0, FmElement::B, dir.path().string()));
    EXPECT_EQ(s.voiceData[62 + 20], 13);
}

TEST(FmPresetList, MissingFileWarnsAndSetsBlockBytesToOne) {
    testing_support::TempDir dir;
    MorvexState s = markedState();
    const Status status = LoadFmPreset(s, 0, FmElement::B, dir.path().string());
    ASSERT_TRUE(status);
    EXPECT_EQ(status->icon, Report::Icon::Warning);
    EXPECT_EQ(status->caption, "Fehler");
    EXPECT_EQ(status->text, "File \"morvex.lst\" not found!");
    for (int n = 62; n <= 82; ++n) EXPECT_EQ(s.voiceData[n], 1) << n;
    EXPECT_EQ(s.voiceData[83], 77);
    EXPECT_EQ(s.fmParams, markedState().fmParams);
    EXPECT_EQ(s.voiceParams, markedState().voiceParams);
}

TEST(FmPresetList, BadLinesChangeNothing) {
    std::string toneTooLoud = sampleLine(), scaledTooLarge = sampleLine();
    toneTooLoud[3] = static_cast<char>(128);
    scaledTooLarge[15] = static_cast<char>(199);
    const std::string good = sampleLine() + "\n";
    const std::pair<std::string, int> cases[] = {
        {good + good, 2},                         // index beyond the list
        {"", 0},                                  // empty list
        {good + kFlat.substr(1) + "\n", 1},       // 20 characters
        {kFlat.substr(1), 0},                     // 20 characters, no line end
        {toneTooLoud + "\n", 0},                  // tone level above 127
        {good + scaledTooLarge + "\r\n", 1},      // scaled byte above 127
        {good + std::string(256 * 1024, 'Z'), 0}, // far larger than any preset list
    };
    int number = 0;
    for (const auto& [content, index] : cases) {
        SCOPED_TRACE("case " + std::to_string(number++));
        testing_support::TempDir dir;
        writeList(dir, content);
        MorvexState s = markedState();
        const Status status = LoadFmPreset(s, index, FmElement::D, dir.path().string());
        ASSERT_TRUE(status);
        EXPECT_EQ(status->icon, Report::Icon::Error);
        EXPECT_EQ(status->caption, "Fehler");
        EXPECT_EQ(s.voiceData, markedState().voiceData);
        EXPECT_EQ(s.fmParams, markedState().fmParams);
        EXPECT_EQ(s.voiceParams, markedState().voiceParams);
    }
}

// The list that ships with the program: every FM wave has its preset.
TEST(FmPresetList, EveryShippedPresetLoads) {
    for (int index = 0; index < 256; ++index) {
        MorvexState s;
        const FmElement element = index % 2 ? FmElement::D : FmElement::B;
        const Status status = LoadFmPreset(s, index, element, KLANGOR_DATA_DIR);
        ASSERT_FALSE(status) << index << ": " << status->text;
    }
}

// The presets are what the pages show: every position fits the control the FM edit or Tone page
// gives it, so choosing a preset and visiting the pages changes nothing; and the encoder sends
// each byte as the list holds it.
TEST(FmPresetList, EveryShippedPresetFitsThePagesAndTheEncoder) {
    for (int index = 0; index < kFmPresetCount; ++index) {
        for (FmElement element : {FmElement::B, FmElement::D}) {
            SCOPED_TRACE("preset " + std::to_string(index) +
                         (element == FmElement::B ? " B" : " D"));
            MorvexState s;
            ASSERT_FALSE(LoadFmPreset(s, index, element, KLANGOR_DATA_DIR));
            const int f = fmIndex(element);
            const FmBlock& block = s.fmParams[f];
            FmBlock shownAndStored = block;
            storeFmEditValues(fmEditValues(block), shownAndStored);
            EXPECT_EQ(shownAndStored, block) << "the FM edit page's boxes cannot show it";
            EXPECT_LE(s.voiceParams.toneFeedback[f], kToneFeedbackMaximum);
            for (int i = 0; i < kFmBlockSize; ++i)
                EXPECT_TRUE(fmBlockRange(i).contains(block[i])) << "position " << i;

            const VoiceBytes loaded = s.voiceData;
            EncodeVoice(s);
            for (int i = 0; i < kFmBlockSize; ++i) {
                if (fmBlockRoles()[i] == FmByteRole::ElementVolume) continue; // the element's own
                const int offset = kFmBlockOffset[f] + i;
                EXPECT_EQ(s.voiceData[offset], loaded[offset]) << "position " << i;
            }
        }
    }
}

} // namespace
