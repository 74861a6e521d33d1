#pragma once
// The byte map of a Morvex voice as one table: where each decoded value lives in VoiceData and how
// it is encoded there. DecodeVoice and EncodeVoice both walk this table; nothing else knows the
// offsets.

#include "morvex/MorvexState.h"

#include <array>
#include <span>
#include <string_view>

namespace morvex {

enum class Encoding {
    Plain,         // value = raw
    Scaled,        // value = Scale127To99[raw]
    Inverted,      // value = Scale127To99[127 - raw]
    Flag128,       // two bytes: flag (1 adds 128), then the low part
    Signed127,     // two bytes: flag (1 means negative), then value or value + 127
    Signed127Knee, // Signed127, then the knee
    Signed128,     // two bytes: sign, then value or value + 128; another sign keeps the value
    Knee,          // raw -36..36 doubles, beyond that raw +/- 36: raw -63..63 covers -99..99
    Decay1Knee,    // the knee, biased by 64 unless the element starts loud (see ParameterMap.cpp)
    Pan,           // value = 4 - raw
    Offset31,      // value = raw - 31
    Times10,       // value = raw * 10
    FmWave,        // Flag128, but 256 ("UserDefined") while the element's marker byte is set
    Zero,          // not decoded; always written as 0
};

inline constexpr int kNoOffset = -1;

// The user-defined marker of an FM element lies this far behind its wave number's first byte, the
// initial level and attack level of an element this far behind its decay 1 rate.
inline constexpr int kFmMarkerDistance = 7;
inline constexpr int kInitialLevelDistance = 3;
inline constexpr int kAttackLevelDistance = 4;

struct ParameterDescriptor {
    std::string_view name; // the value's name in scripts and JSON
    Encoding encoding;
    int slots; // 1: common value; 4: per element A..D; 2: per FM element B, D; 50: steps
    std::array<int, 4> offsets; // first byte of each slot (for steps: of step 0); kNoOffset where
                                // another entry of the same name encodes the slot
    int stride;                 // steps: bytes from one step to the next; otherwise 0
    int& (*value)(VoiceParams&, int slot); // null for Zero, and only for Zero

    constexpr int offset(int slot) const {
        return stride ? offsets[0] + stride * slot : offsets[slot];
    }
    constexpr bool covers(int slot) const { return offset(slot) != kNoOffset; }
};

namespace parameter_map_detail {
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
inline constexpr ParameterDescriptor kVoiceParameterMap[] = {
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

// clang-format on
} // namespace parameter_map_detail

// The table, in the order EncodeVoice must write: the common area first, and each element's
// initial and attack levels before its decay 1 rate, whose bias depends on the freshly written
// level bytes. Decoding reads only raw bytes, so any order decodes alike. It is a constant, so the
// codec is unrolled from it at compile time.
using parameter_map_detail::kVoiceParameterMap;
std::span<const ParameterDescriptor> voiceParameterMap();

// The FM block of an FM element: 21 bytes from this offset (B, D).
inline constexpr std::array<int, kFmElementCount> kFmBlockOffset = {62, 136};

// How each byte of an FM block is handled. FmParams first receives every raw byte.
enum class FmByteRole {
    Plain,         // FmParams holds the byte
    Inverted,      // FmParams holds Scale127To99[127 - byte]
    FlagOfNext,    // the flag of the next index, a Flag128 pair
    LowOfFlagged,  // FmParams holds 0..255 with the flag from the previous index
    ToneFeedback,  // written from the element's tone feedback, not from FmParams
    ToneLevel,     // written from the element's tone level
    ElementVolume, // written from the element's volume
};
const std::array<FmByteRole, kFmBlockSize>& fmBlockRoles();

// The voice name's bytes.
inline constexpr int kVoiceNameOffset = 3;

// Bytes after the range check's reach: the range check covers offsets 1..573.
inline constexpr int kFirstRangeChecked = 1;
inline constexpr int kLastRangeChecked = 573;

} // namespace morvex
