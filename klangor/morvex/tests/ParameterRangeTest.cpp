// The valid ranges of the parameter table: every value inside one reaches the synthesizer in 7-bit
// bytes and reads back without being clamped.

#include "morvex/Encodings.h"
#include "morvex/ParameterMap.h"
#include "morvex/VoiceCodec.h"

#include <gtest/gtest.h>

#include <string>
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
        for (int slot = 0; slot < p.slots; ++slot) {
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

} // namespace
