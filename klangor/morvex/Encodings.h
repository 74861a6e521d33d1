#pragma once
// Reading and writing one value in one encoding at one offset of a voice. Inline, because the codec
// runs them some eight hundred times per voice.
//
// Values that do not fit a byte are written modulo 256, as the synthesizer would receive them; the
// range check of EncodeVoice reports them. Sums and differences with a value are taken in a wider
// type, so no int a script or a file hands over can overflow on the way.

#include "morvex/MorvexState.h"
#include "morvex/ParameterMap.h"
#include "morvex/ScaleTables.h"

#include <algorithm>
#include <cstdint>

namespace morvex::encodings {

using Wide = std::int64_t;

inline int kneeDecode(int raw) {
    if (raw > 36) return raw + 36;
    if (raw < -36) return raw - 36;
    return 2 * raw;
}

inline int kneeEncode(int value) {
    if (value > 72) return value - 36;
    if (value < -72) return value + 36;
    return value / 2; // truncates toward zero
}

// Table look-ups that stay inside the tables whatever a file or a script holds.
inline int to99(const ScaleTables& t, int raw) {
    return t.to99[std::clamp(raw, 0, 127)];
}
inline int to127(const ScaleTables& t, Wide value) {
    return t.to127[std::clamp<Wide>(value, 0, 99)];
}

inline void writeFlagged(VoiceBytes& data, int offset, int flag, int low) {
    data[offset] = static_cast<std::uint8_t>(flag);
    data[offset + 1] = static_cast<std::uint8_t>(low);
}

inline int flag128Decode(const VoiceBytes& data, int offset) {
    return data[offset + 1] + (data[offset] == 1 ? 128 : 0);
}

inline void flag128Encode(VoiceBytes& data, int offset, int value) {
    if (value < 128)
        writeFlagged(data, offset, 0, value);
    else
        writeFlagged(data, offset, 1, value - 128);
}

inline int signed127Decode(const VoiceBytes& data, int offset) {
    return data[offset] == 1 ? data[offset + 1] - 127 : data[offset + 1];
}

inline void signed127Encode(VoiceBytes& data, int offset, int value) {
    if (value >= 0)
        writeFlagged(data, offset, 0, value);
    else
        writeFlagged(data, offset, 1, value + 127);
}

// An element that starts at full level (attack level byte 127, initial level byte non-zero) keeps
// its decay 1 rate as it is; any other element has it stored 64 higher.
inline bool decay1Unbiased(const VoiceBytes& data, int offset) {
    return data[offset + kAttackLevelDistance] == 127 && data[offset + kInitialLevelDistance] != 0;
}

inline int decodeValue(Encoding encoding, const VoiceBytes& data, int offset, int current,
                       const ScaleTables& t) {
    const int raw = data[offset];
    switch (encoding) {
    case Encoding::Plain:
        return raw;
    case Encoding::Scaled:
        return to99(t, raw);
    case Encoding::Inverted:
        return to99(t, 127 - raw);
    case Encoding::Flag128:
        return flag128Decode(data, offset);
    case Encoding::Signed127:
        return signed127Decode(data, offset);
    case Encoding::Signed127Knee:
        return kneeDecode(signed127Decode(data, offset));
    case Encoding::Signed128:
        if (raw == 0) return data[offset + 1];
        if (raw == 1) return data[offset + 1] - 128;
        return current;
    case Encoding::Knee:
        return kneeDecode(raw);
    case Encoding::Decay1Knee:
        return kneeDecode(decay1Unbiased(data, offset) ? raw : raw - 64);
    case Encoding::Pan:
        return 4 - raw;
    case Encoding::Offset31:
        return raw - 31;
    case Encoding::Times10:
        return raw * 10;
    case Encoding::FmWave:
        return data[offset + kFmMarkerDistance] != 0 ? 256 : flag128Decode(data, offset);
    case Encoding::Zero:
        return current;
    }
    return current;
}

inline void encodeValue(Encoding encoding, VoiceBytes& data, int offset, int value,
                        const ScaleTables& t) {
    auto put = [&](Wide raw) { data[offset] = static_cast<std::uint8_t>(raw); };
    switch (encoding) {
    case Encoding::Plain:
        put(value);
        break;
    case Encoding::Scaled:
        put(to127(t, value));
        break;
    case Encoding::Inverted:
        put(to127(t, 99 - Wide{value}));
        break;
    case Encoding::Flag128:
        flag128Encode(data, offset, value);
        break;
    case Encoding::Signed127:
        signed127Encode(data, offset, value);
        break;
    case Encoding::Signed127Knee:
        signed127Encode(data, offset, kneeEncode(value));
        break;
    case Encoding::Signed128:
        if (value >= 0)
            writeFlagged(data, offset, 0, value);
        else
            writeFlagged(data, offset, 1, value + 128);
        break;
    case Encoding::Knee:
        put(kneeEncode(value));
        break;
    case Encoding::Decay1Knee:
        put(Wide{kneeEncode(value)} + (decay1Unbiased(data, offset) ? 0 : 64));
        break;
    case Encoding::Pan:
        put(4 - Wide{value});
        break;
    case Encoding::Offset31:
        put(Wide{value} + 31);
        break;
    case Encoding::Times10:
        put(value / 10);
        break;
    case Encoding::FmWave:
        flag128Encode(data, offset, std::min(value, 255));
        break;
    case Encoding::Zero:
        put(0);
        break;
    }
}

} // namespace morvex::encodings
