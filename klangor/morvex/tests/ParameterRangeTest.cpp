// The valid ranges of the parameter table: every value inside one reaches the synthesizer in 7-bit
// bytes and reads back without being clamped.

#include "morvex/Encodings.h"
#include "morvex/ParameterMap.h"
#include "morvex/VoiceCodec.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <utility>
#include <vector>

using namespace morvex;

namespace {

constexpr bool twoBytes(Encoding e) {
    return e == Encoding::Flag128 || e == Encoding::Signed127 || e == Encoding::Signed127Knee ||
           e == Encoding::Signed128 || e == Encoding::FmWave;
}

TEST(ParameterRange, EveryValueInRangeEncodesInSevenBitsAndTheEndsReadBack) {
    const ScaleTables& tables = BuildScaleTables();
    for (const ParameterDescriptor& p : voiceParameterMap()) {
        if (!p.value) continue;
        SCOPED_TRACE(std::string(p.name) + " " + std::string(p.label));
        EXPECT_FALSE(p.label.empty());
        EXPECT_LT(p.range.minimum, p.range.maximum);
        for (int slot = 0; slot < p.slotCount; ++slot) {
            if (!p.covers(slot)) continue;
            const int offset = p.offset(slot);
            for (int v = p.range.minimum; v <= p.range.maximum; ++v) {
                // Zero level bytes beside a decay 1 rate make it biased: its largest bytes.
                VoiceBytes data{};
                // 256 is "UserDefined", which reads back only while the element's marker is set.
                if (p.encoding == Encoding::FmWave && v == 256)
                    data[offset + kFmMarkerDistance] = 1;
                encodings::encodeValue(p.encoding, data, offset, v, tables);
                const bool sevenBits =
                    data[offset] <= 127 && (!twoBytes(p.encoding) || data[offset + 1] <= 127);
                // Inside the range a value may round (knee, times-10), never leave it; the ends
                // are exact, or the range would promise what the bytes cannot hold.
                const int back = encodings::decodeValue(p.encoding, data, offset, -1000, tables);
                const bool end = v == p.range.minimum || v == p.range.maximum;
                if (!sevenBits || !p.range.contains(back) || (end && back != v)) {
                    ADD_FAILURE() << "slot " << slot << ": " << v << " is stored as "
                                  << int(data[offset]) << ", " << int(data[offset + 1])
                                  << " and reads back as " << back;
                    break;
                }
            }
        }
    }
}

TEST(ParameterRange, FmBlockRangesEncodeInSevenBits) {
    for (bool atMaximum : {false, true}) {
        MorvexState s;
        for (FmBlock& block : s.fmParams)
            for (int i = 0; i < kFmBlockSize; ++i)
                block[i] = atMaximum ? fmBlockRange(i).maximum : fmBlockRange(i).minimum;
        EXPECT_EQ(EncodeVoice(s), std::vector<int>{}) << (atMaximum ? "maximum" : "minimum");
        MorvexState back;
        back.voiceData = s.voiceData;
        DecodeVoice(back);
        for (int i = 0; i < kFmBlockSize; ++i) {
            if (fmBlockRoles()[i] != FmByteRole::Plain &&
                fmBlockRoles()[i] != FmByteRole::Inverted &&
                fmBlockRoles()[i] != FmByteRole::LowOfFlagged)
                continue; // written from elsewhere
            EXPECT_EQ(back.fmParams[0][i], s.fmParams[0][i]) << "position " << i;
        }
    }
}

// Ints far outside every range, as a script or a bad page value hands them over: the arithmetic
// stays defined (the sanitizer build checks that), and the bytes are those of a small value equal
// modulo 256 (modulo 2560 for times-10, which divides first) or clamped alike, as before.
TEST(ParameterRange, ExtremeIntsEncodeLikeTheirSmallTwins) {
    struct Case {
        Encoding encoding;
        int twinOfMin, twinOfMax;
    };
    const Case cases[] = {
        {Encoding::Plain, -256, 255},      {Encoding::Scaled, -256, 255},
        {Encoding::Inverted, -256, 255},   {Encoding::Flag128, -256, 255},
        {Encoding::Signed127, -256, 255},  {Encoding::Signed127Knee, -256, 255},
        {Encoding::Signed128, -256, 255},  {Encoding::Knee, -256, 255},
        {Encoding::Decay1Knee, -256, 255}, {Encoding::Pan, -256, 255},
        {Encoding::Offset31, -256, 255},   {Encoding::Times10, -2048, 2047},
        {Encoding::FmWave, -256, 257},     {Encoding::Zero, -256, 255},
    };
    const ScaleTables& tables = BuildScaleTables();
    auto encoded = [&](Encoding e, int value) { // the one or two bytes an encoding writes
        VoiceBytes data{};
        encodings::encodeValue(e, data, 41, value, tables);
        return std::pair<int, int>(data[41], data[42]);
    };
    for (const Case& c : cases) {
        for (int d = 0; d <= 2; ++d) {
            SCOPED_TRACE("encoding " + std::to_string(int(c.encoding)) + ", neighbour " +
                         std::to_string(d));
            EXPECT_EQ(encoded(c.encoding, INT_MIN + d), encoded(c.encoding, c.twinOfMin + d));
            EXPECT_EQ(encoded(c.encoding, INT_MAX - d), encoded(c.encoding, c.twinOfMax - d));
        }
    }

    // The whole codec, every value and every FM block position at once.
    for (int extreme : {INT_MIN, INT_MAX}) {
        MorvexState s;
        for (const ParameterDescriptor& p : voiceParameterMap())
            for (int slot = 0; slot < p.slotCount; ++slot)
                if (p.value && p.covers(slot)) p.value(s.voiceParams, slot) = extreme;
        for (FmBlock& block : s.fmParams) block.fill(extreme);
        EXPECT_FALSE(EncodeVoice(s).empty()) << extreme;
    }
}

} // namespace

// The shared name "wave" finds the AWM or the FM entry by slot; an uncovered slot finds nothing.
static_assert(kVoiceParameterMap[parameterIndex("wave", A)].label == "Wave");
static_assert(kVoiceParameterMap[parameterIndex("wave", B)].label == "FM wave");
static_assert(kVoiceParameterMap[parameterIndex("wave", D)].encoding == Encoding::FmWave);
static_assert(kVoiceParameterMap[parameterIndex("tone_level", 1)].offset(1) == 139);
static_assert(parameterIndex("tone_level", 2) == -1);
static_assert(parameterIndex("no_such_value") == -1);
