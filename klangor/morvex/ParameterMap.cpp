#include "morvex/ParameterMap.h"

#include "morvex/ScaleTables.h"

#include <algorithm>

namespace morvex {
namespace {

template <int VoiceParams::*Field>
int& common(VoiceParams& v, int) {
    return v.*Field;
}
template <PerElement VoiceParams::*Field>
int& perElement(VoiceParams& v, int slot) {
    return (v.*Field)[slot];
}
template <PerFmElement VoiceParams::*Field>
int& perFmElement(VoiceParams& v, int slot) {
    return (v.*Field)[slot];
}
template <VectorSteps VoiceParams::*Steps, int VectorStep::*Field>
int& step(VoiceParams& v, int slot) {
    return (v.*Steps)[slot].*Field;
}

using P = VoiceParams;
using E = Encoding;
constexpr int N = kNoOffset;

// clang-format off
constexpr ParameterDescriptor kMap[] = {
    // Common area.
    {"effect",           E::Plain,         1, {2, N, N, N},  0, &common<&P::effect>},
    {"configuration",    E::Plain,         1, {11, N, N, N}, 0, &common<&P::configuration>},
    {"pitch_bend",       E::Plain,         1, {12, N, N, N}, 0, &common<&P::pitchBend>},
    {"switches",         E::Plain,         1, {13, N, N, N}, 0, &common<&P::switches>},
    {"aftertouch_pitch", E::Signed127,     1, {14, N, N, N}, 0, &common<&P::aftertouchPitch>},
    {"attack_offset",    E::Signed127Knee, 1, {17, N, N, N}, 0, &common<&P::attackOffset>},
    {"release_offset",   E::Signed127Knee, 1, {19, N, N, N}, 0, &common<&P::releaseOffset>},
    {"",                 E::Zero,          4, {40, 87, 114, 161}, 0, nullptr},
    // Vectors.
    {"level_vector.speed",      E::Times10,       1, {169, N, N, N}, 0, &common<&P::levelSpeed>},
    {"detune_vector.speed",     E::Times10,       1, {170, N, N, N}, 0, &common<&P::detuneSpeed>},
    {"level_vector.time", E::Flag128,  kVectorSteps, {171, N, N, N}, 4, &step<&P::levelVector, &VectorStep::time>},
    {"level_vector.x",    E::Offset31, kVectorSteps, {173, N, N, N}, 4, &step<&P::levelVector, &VectorStep::x>},
    {"level_vector.y",    E::Offset31, kVectorSteps, {174, N, N, N}, 4, &step<&P::levelVector, &VectorStep::y>},
    {"detune_vector.time", E::Flag128,  kVectorSteps, {371, N, N, N}, 4, &step<&P::detuneVector, &VectorStep::time>},
    {"detune_vector.x",    E::Offset31, kVectorSteps, {373, N, N, N}, 4, &step<&P::detuneVector, &VectorStep::x>},
    {"detune_vector.y",    E::Offset31, kVectorSteps, {374, N, N, N}, 4, &step<&P::detuneVector, &VectorStep::y>},
    // Elements A, B, C, D.
    {"wave",           E::Plain,      4, {21, N, 95, N},      0, &perElement<&P::wave>},
    {"wave",           E::FmWave,     4, {N, 48, N, 122},     0, &perElement<&P::wave>},
    {"freq_shift",     E::Signed128,  4, {22, 50, 96, 124},   0, &perElement<&P::freqShift>},
    {"sensitivity",    E::Plain,      4, {24, 52, 98, 126},   0, &perElement<&P::sensitivity>},
    {"lfo_form_speed", E::Flag128,    4, {25, 53, 99, 127},   0, &perElement<&P::lfoFormSpeed>},
    {"lfo_delay",      E::Scaled,     4, {28, 56, 102, 130},  0, &perElement<&P::lfoDelay>},
    {"lfo_rate",       E::Inverted,   4, {30, 58, 104, 132},  0, &perElement<&P::lfoRate>},
    {"lfo_am",         E::Plain,      4, {31, 59, 105, 133},  0, &perElement<&P::lfoAm>},
    {"lfo_pm",         E::Plain,      4, {32, 60, 106, 134},  0, &perElement<&P::lfoPm>},
    {"pan",            E::Pan,        4, {33, 61, 107, 135},  0, &perElement<&P::pan>},
    {"volume",         E::Inverted,   4, {34, 81, 108, 155},  0, &perElement<&P::volume>},
    {"tone_feedback",  E::Plain,      2, {62, 136, N, N},     0, &perFmElement<&P::toneFeedback>},
    {"tone_level",     E::Inverted,   2, {65, 139, N, N},     0, &perFmElement<&P::toneLevel>},
    {"initial_level",  E::Inverted,   4, {44, 91, 118, 165},  0, &perElement<&P::initialLevel>},
    {"attack_level",   E::Inverted,   4, {45, 92, 119, 166},  0, &perElement<&P::attackLevel>},
    {"attack_rate",    E::Knee,       4, {39, 86, 113, 160},  0, &perElement<&P::attackRate>},
    {"decay1_level",   E::Inverted,   4, {46, 93, 120, 167},  0, &perElement<&P::decay1Level>},
    {"decay1_rate",    E::Decay1Knee, 4, {41, 88, 115, 162},  0, &perElement<&P::decay1Rate>},
    {"decay2_level",   E::Inverted,   4, {47, 94, 121, 168},  0, &perElement<&P::decay2Level>},
    {"decay2_rate",    E::Knee,       4, {42, 89, 116, 163},  0, &perElement<&P::decay2Rate>},
    {"release_rate",   E::Knee,       4, {43, 90, 117, 164},  0, &perElement<&P::releaseRate>},
    {"scaling",        E::Flag128,    4, {36, 83, 110, 157},  0, &perElement<&P::scaling>},
    {"delay_rate",     E::Scaled,     1, {16, N, N, N},       0, &common<&P::delayRate>},
    {"delay_switch",   E::Plain,      4, {38, 85, 112, 159},  0, &perElement<&P::delaySwitch>},
};

constexpr std::array<FmByteRole, kFmBlockSize> kFmRoles = {
    FmByteRole::ToneFeedback, FmByteRole::Plain,        FmByteRole::Plain,    FmByteRole::ToneLevel,
    FmByteRole::Plain,        FmByteRole::FlagOfNext,   FmByteRole::LowOfFlagged,
    FmByteRole::Plain,        FmByteRole::Plain,        FmByteRole::Plain,    FmByteRole::Plain,
    FmByteRole::Plain,        FmByteRole::Plain,
    FmByteRole::Inverted,     FmByteRole::Inverted,     FmByteRole::Inverted, FmByteRole::Inverted,
    FmByteRole::Plain,        FmByteRole::Plain,        FmByteRole::ElementVolume,
    FmByteRole::Plain,
};
// clang-format on

// The FM block's tone feedback, tone level and volume bytes are the element values of the table.
static_assert(kFmBlockOffset[0] + 0 == 62 && kFmBlockOffset[1] + 3 == 139);
static_assert(kFmBlockOffset[0] + 19 == 81 && kFmBlockOffset[1] + 19 == 155);

void writeFlagged(VoiceBytes& data, int offset, int flag, int low) {
    data[offset] = static_cast<std::uint8_t>(flag);
    data[offset + 1] = static_cast<std::uint8_t>(low);
}

int flag128Decode(const VoiceBytes& data, int offset) {
    return data[offset + 1] + (data[offset] == 1 ? 128 : 0);
}

void flag128Encode(VoiceBytes& data, int offset, int value) {
    if (value < 128)
        writeFlagged(data, offset, 0, value);
    else
        writeFlagged(data, offset, 1, value - 128);
}

int signed127Decode(const VoiceBytes& data, int offset) {
    return data[offset] == 1 ? data[offset + 1] - 127 : data[offset + 1];
}

void signed127Encode(VoiceBytes& data, int offset, int value) {
    if (value >= 0)
        writeFlagged(data, offset, 0, value);
    else
        writeFlagged(data, offset, 1, value + 127);
}

// An element that starts at full level (attack level byte 127, initial level byte non-zero) keeps
// its decay 1 rate as it is; any other element has it stored 64 higher.
bool decay1Unbiased(const VoiceBytes& data, int offset) {
    return data[offset + kAttackLevelDistance] == 127 && data[offset + kInitialLevelDistance] != 0;
}

} // namespace

std::span<const ParameterDescriptor> voiceParameterMap() {
    return kMap;
}

const std::array<FmByteRole, kFmBlockSize>& fmBlockRoles() {
    return kFmRoles;
}

int kneeDecode(int raw) {
    if (raw > 36) return raw + 36;
    if (raw < -36) return raw - 36;
    return 2 * raw;
}

int kneeEncode(int value) {
    if (value > 72) return value - 36;
    if (value < -72) return value + 36;
    return value / 2; // truncates toward zero
}

int decodeValue(Encoding encoding, const VoiceBytes& data, int offset, int current) {
    const int raw = data[offset];
    switch (encoding) {
    case Encoding::Plain:
        return raw;
    case Encoding::Scaled:
        return Scale127To99(raw);
    case Encoding::Inverted:
        return Scale127To99(127 - raw);
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

void encodeValue(Encoding encoding, VoiceBytes& data, int offset, int value) {
    auto put = [&](int raw) { data[offset] = static_cast<std::uint8_t>(raw); };
    switch (encoding) {
    case Encoding::Plain:
        put(value);
        break;
    case Encoding::Scaled:
        put(Scale99To127(value));
        break;
    case Encoding::Inverted:
        put(Scale99To127(99 - value));
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
        put(kneeEncode(value) + (decay1Unbiased(data, offset) ? 0 : 64));
        break;
    case Encoding::Pan:
        put(4 - value);
        break;
    case Encoding::Offset31:
        put(value + 31);
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

} // namespace morvex
