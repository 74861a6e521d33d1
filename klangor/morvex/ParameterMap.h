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
    std::array<int, 4> offsets;            // first byte of each slot (for steps: of step 0)
    int stride;                            // steps: bytes from one step to the next; otherwise 0
    int& (*value)(VoiceParams&, int slot); // null for Zero

    int offset(int slot) const { return stride ? offsets[0] + stride * slot : offsets[slot]; }
    bool covers(int slot) const { return offset(slot) != kNoOffset; }
};

// The table, in the order EncodeVoice must write: the common area first, and each element's
// initial and attack levels before its decay 1 rate, whose bias depends on the freshly written
// level bytes. Decoding reads only raw bytes, so any order decodes alike.
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

// Reading and writing one value in one encoding at one offset. Values that do not fit a byte are
// written modulo 256, as the synthesizer would receive them; the range check reports them.
int decodeValue(Encoding encoding, const VoiceBytes& data, int offset, int current);
void encodeValue(Encoding encoding, VoiceBytes& data, int offset, int value);

int kneeDecode(int raw);
int kneeEncode(int value);

} // namespace morvex
