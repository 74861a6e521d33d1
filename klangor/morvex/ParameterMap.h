#pragma once
// The byte map of a Morvex voice as one table: where each decoded value lives in VoiceData and how
// it is encoded there. DecodeVoice and EncodeVoice both walk this table; nothing else knows the
// offsets.

#include "morvex/MorvexState.h"

#include <array>
#include <span>
#include <string>
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

// The values a parameter may take: what its encoding carries without a byte above 127 and without
// clamping, narrowed to what the value means. Values outside it still encode (modulo 256), but
// the synthesizer would not read back what was meant.
struct ValueRange {
    int minimum;
    int maximum;
    constexpr bool contains(int value) const { return value >= minimum && value <= maximum; }
    // "0..127", as messages show it.
    std::string text() const { return std::to_string(minimum) + ".." + std::to_string(maximum); }
};

// Which part of the voice a value belongs to: the page that edits it.
enum class ParameterGroup {
    Common,   // voice-wide values
    Tone,     // an element's wave, LFO, pan, volume and FM tone values
    Envelope, // an element's envelope and scaling, and the voice's envelope delay rate
    Vector,   // the level and detune vectors
    Reserved, // bytes always written as 0
};

struct ParameterDescriptor {
    std::string_view name; // the value's name in scripts and JSON
    Encoding encoding;
    int slotCount; // 1: common value; 4: per element A..D; 2: per FM element B, D; 50: steps
    std::array<int, 4> offsets; // first byte of each slot (for steps: of step 0); kNoOffset where
                                // another entry of the same name encodes the slot
    int stride;                 // steps: bytes from one step to the next; otherwise 0
    int& (*value)(VoiceParams&, int slot); // null for Zero, and only for Zero
    ValueRange range;
    std::string_view label; // short text for people: "LFO delay"
    ParameterGroup group;

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
using G = ParameterGroup;
constexpr int N = kNoOffset;

// clang-format off
inline constexpr ParameterDescriptor kVoiceParameterMap[] = {
    // Common area.
    {"effect",           E::Plain,         1, {2, N, N, N},  0, &common<&P::effect>,          {0, 127},    "Effect",              G::Common},
    {"configuration",    E::Plain,         1, {11, N, N, N}, 0, &common<&P::configuration>,   {0, 1},      "Configuration",       G::Common},
    {"pitch_bend",       E::Plain,         1, {12, N, N, N}, 0, &common<&P::pitchBend>,       {0, 127},    "Pitch bend",          G::Common},
    {"switches",         E::Plain,         1, {13, N, N, N}, 0, &common<&P::switches>,        {0, 127},    "Controller switches", G::Common},
    {"aftertouch_pitch", E::Signed127,     1, {14, N, N, N}, 0, &common<&P::aftertouchPitch>, {-127, 127}, "Aftertouch pitch",    G::Common},
    {"attack_offset",    E::Signed127Knee, 1, {17, N, N, N}, 0, &common<&P::attackOffset>,    {-99, 99},   "Attack-rate offset",  G::Common},
    {"release_offset",   E::Signed127Knee, 1, {19, N, N, N}, 0, &common<&P::releaseOffset>,   {-99, 99},   "Release-rate offset", G::Common},
    {"",                 E::Zero,          4, {40, 87, 114, 161}, 0, nullptr,                 {0, 0},      "",                    G::Reserved},
    // Vectors. A speed is held in ms, ten per stored unit.
    {"level_vector.speed",  E::Times10, 1, {169, N, N, N}, 0, &common<&P::levelSpeed>,                               {0, 1270},   "Level vector speed",   G::Vector},
    {"detune_vector.speed", E::Times10, 1, {170, N, N, N}, 0, &common<&P::detuneSpeed>,                              {0, 1270},   "Detune vector speed",  G::Vector},
    {"level_vector.time",  E::Flag128,  kVectorSteps, {171, N, N, N}, 4, &step<&P::levelVector, &VectorStep::time>,  {0, 255},    "Level vector length",  G::Vector},
    {"level_vector.x",     E::Offset31, kVectorSteps, {173, N, N, N}, 4, &step<&P::levelVector, &VectorStep::x>,     {-31, 31},   "Level vector x",       G::Vector},
    {"level_vector.y",     E::Offset31, kVectorSteps, {174, N, N, N}, 4, &step<&P::levelVector, &VectorStep::y>,     {-31, 31},   "Level vector y",       G::Vector},
    {"detune_vector.time", E::Flag128,  kVectorSteps, {371, N, N, N}, 4, &step<&P::detuneVector, &VectorStep::time>, {0, 255},    "Detune vector length", G::Vector},
    {"detune_vector.x",    E::Offset31, kVectorSteps, {373, N, N, N}, 4, &step<&P::detuneVector, &VectorStep::x>,    {-31, 31},   "Detune vector x",      G::Vector},
    {"detune_vector.y",    E::Offset31, kVectorSteps, {374, N, N, N}, 4, &step<&P::detuneVector, &VectorStep::y>,    {-31, 31},   "Detune vector y",      G::Vector},
    // Elements A, B, C, D.
    {"wave",           E::Plain,      4, {21, N, 95, N},      0, &perElement<&P::wave>,           {0, 127},    "Wave",                  G::Tone},
    {"wave",           E::FmWave,     4, {N, 48, N, 122},     0, &perElement<&P::wave>,           {0, 256},    "FM wave",               G::Tone},
    {"freq_shift",     E::Signed128,  4, {22, 50, 96, 124},   0, &perElement<&P::freqShift>,      {-128, 127}, "Frequency shift",       G::Tone},
    {"sensitivity",    E::Plain,      4, {24, 52, 98, 126},   0, &perElement<&P::sensitivity>,    {0, 127},    "Sensitivity",           G::Tone},
    {"lfo_form_speed", E::Flag128,    4, {25, 53, 99, 127},   0, &perElement<&P::lfoFormSpeed>,   {0, 255},    "LFO form and speed",    G::Tone},
    {"lfo_delay",      E::Scaled,     4, {28, 56, 102, 130},  0, &perElement<&P::lfoDelay>,       {0, 99},     "LFO delay",             G::Tone},
    {"lfo_rate",       E::Inverted,   4, {30, 58, 104, 132},  0, &perElement<&P::lfoRate>,        {0, 99},     "LFO rate",              G::Tone},
    {"lfo_am",         E::Plain,      4, {31, 59, 105, 133},  0, &perElement<&P::lfoAm>,          {0, 127},    "LFO AM",                G::Tone},
    {"lfo_pm",         E::Plain,      4, {32, 60, 106, 134},  0, &perElement<&P::lfoPm>,          {0, 127},    "LFO PM",                G::Tone},
    {"pan",            E::Pan,        4, {33, 61, 107, 135},  0, &perElement<&P::pan>,            {0, 4},      "Pan",                   G::Tone},
    {"volume",         E::Inverted,   4, {34, 81, 108, 155},  0, &perElement<&P::volume>,         {0, 99},     "Volume",                G::Tone},
    {"tone_feedback",  E::Plain,      2, {62, 136, N, N},     0, &perFmElement<&P::toneFeedback>, {0, 127},    "Tone feedback",         G::Tone},
    {"tone_level",     E::Inverted,   2, {65, 139, N, N},     0, &perFmElement<&P::toneLevel>,    {0, 99},     "Tone level",            G::Tone},
    {"initial_level",  E::Inverted,   4, {44, 91, 118, 165},  0, &perElement<&P::initialLevel>,   {0, 99},     "Initial level",         G::Envelope},
    {"attack_level",   E::Inverted,   4, {45, 92, 119, 166},  0, &perElement<&P::attackLevel>,    {0, 99},     "Attack level",          G::Envelope},
    {"attack_rate",    E::Knee,       4, {39, 86, 113, 160},  0, &perElement<&P::attackRate>,     {0, 99},     "Attack rate",           G::Envelope},
    {"decay1_level",   E::Inverted,   4, {46, 93, 120, 167},  0, &perElement<&P::decay1Level>,    {0, 99},     "Decay 1 level",         G::Envelope},
    {"decay1_rate",    E::Decay1Knee, 4, {41, 88, 115, 162},  0, &perElement<&P::decay1Rate>,     {0, 99},     "Decay 1 rate",          G::Envelope},
    {"decay2_level",   E::Inverted,   4, {47, 94, 121, 168},  0, &perElement<&P::decay2Level>,    {0, 99},     "Decay 2 level",         G::Envelope},
    {"decay2_rate",    E::Knee,       4, {42, 89, 116, 163},  0, &perElement<&P::decay2Rate>,     {0, 99},     "Decay 2 rate",          G::Envelope},
    {"release_rate",   E::Knee,       4, {43, 90, 117, 164},  0, &perElement<&P::releaseRate>,    {0, 99},     "Release rate",          G::Envelope},
    {"scaling",        E::Flag128,    4, {36, 83, 110, 157},  0, &perElement<&P::scaling>,        {0, 255},    "Level/rate scaling",    G::Envelope},
    {"delay_rate",     E::Scaled,     1, {16, N, N, N},       0, &common<&P::delayRate>,          {0, 99},     "Envelope delay rate",   G::Envelope},
    {"delay_switch",   E::Plain,      4, {38, 85, 112, 159},  0, &perElement<&P::delaySwitch>,    {0, 1},      "Envelope delay switch", G::Envelope},
};

// clang-format on
} // namespace parameter_map_detail

// The table, in the order EncodeVoice must write: the common area first, and each element's
// initial and attack levels before its decay 1 rate, whose bias depends on the freshly written
// level bytes. Decoding reads only raw bytes, so any order decodes alike. It is a constant, so the
// codec is unrolled from it at compile time.
using parameter_map_detail::kVoiceParameterMap;
std::span<const ParameterDescriptor> voiceParameterMap();

// The first entry of that name, at compile time: a name not in the table does not compile.
consteval const ParameterDescriptor& parameterNamed(std::string_view name) {
    for (const ParameterDescriptor& p : kVoiceParameterMap)
        if (p.name == name) return p;
    throw "no parameter of that name";
}

// The place in the map of the entry of that name that encodes `slot`, or -1: two entries share
// "wave", one for the AWM elements and one for the FM elements. An index rather than a pointer, so
// that compile-time checks stay constant expressions under the sanitizers' null checks.
constexpr int parameterIndex(std::string_view name, int slot = 0) {
    for (std::size_t i = 0; i < std::size(kVoiceParameterMap); ++i)
        if (kVoiceParameterMap[i].name == name && kVoiceParameterMap[i].covers(slot))
            return static_cast<int>(i);
    return -1;
}

// That entry, or null.
constexpr const ParameterDescriptor* findParameter(std::string_view name, int slot = 0) {
    const int index = parameterIndex(name, slot);
    return index < 0 ? nullptr : &kVoiceParameterMap[static_cast<std::size_t>(index)];
}

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

// The valid range of FmParams[index], as ValueRange above. Positions written from the element's
// values or from the next position hold whatever byte was decoded.
ValueRange fmBlockRange(int index);

// The voice name's bytes.
inline constexpr int kVoiceNameOffset = 3;

// Bytes after the range check's reach: the range check covers offsets 1..573.
inline constexpr int kFirstRangeChecked = 1;
inline constexpr int kLastRangeChecked = 573;

} // namespace morvex
