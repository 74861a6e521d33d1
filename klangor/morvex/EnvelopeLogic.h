#pragma once
// What the Envelope page does beyond moving values between its boxes and the voice: the envelope
// of one element as the page shows it, the preset shapes, random envelopes, and where the scaling
// pictures live.

#include "morvex/MorvexState.h"
#include "morvex/RandomSource.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace morvex {

// One element's envelope in the order of the page's rows. The two scaling types are one-based, as
// the page shows them; the voice holds them zero-based in one scaling value.
enum EnvelopeField {
    kInitial,
    kAttackLevel,
    kAttackRate,
    kDecay1Level,
    kDecay1Rate,
    kDecay2Level,
    kDecay2Rate,
    kReleaseRate,
    kLevelType,
    kRateType,
    kEnvelopeFieldCount
};
using EnvelopeRecord = std::array<int, kEnvelopeFieldCount>;

// The fields that "Copy Parameters" carries over: everything but the scaling types.
inline constexpr int kCopiedEnvelopeFields = kLevelType;

inline constexpr int kLevelTypeCount = 16;
inline constexpr int kRateTypeCount = 8;

// The envelopes as the page was last filled; "Preset" in a type list goes back to them. Kept by the
// window's session, because the main window frees the page on every switch.
using EnvelopeSnapshot = std::array<EnvelopeRecord, kElementCount>;

// The entries of the type lists. Entry 0 goes back to the snapshot, entry 1 only marks the
// element as edited by hand, entries 2..7 are the preset shapes.
inline constexpr std::array<std::string_view, 8> kEnvelopeTypeNames = {
    "Preset", "User", "Piano", "Guitar", "Pluck", "Brass", "Strings", "Organ"};
inline constexpr int kEnvTypeSnapshot = 0;
inline constexpr int kEnvTypeUser = 1;
inline constexpr int kFirstEnvPreset = 2;

extern const std::array<EnvelopeRecord, 6> EnvelopePresets;

// Level and rate type, one-based, of a scaling value; and the scaling value of the two types.
struct ScalingTypes {
    int level = 1;
    int rate = 1;
    bool operator==(const ScalingTypes&) const = default;
};
ScalingTypes scalingTypesOf(int scalingValue);
int scalingValueOf(int levelType, int rateType);

// The element's envelope from the voice, scaling split into one-based types.
EnvelopeRecord envelopeOf(const VoiceParams& params, int element);

// What choosing `entry` in an element's type list loads into its boxes; nothing for "User" or an
// entry that is not in the list.
std::optional<EnvelopeRecord> envelopeForType(int entry, const EnvelopeSnapshot& snapshot,
                                              int element);

// The element named in a "Copy Parameters" box ("A".."D"); anything else names no element.
std::optional<int> elementFromLetter(std::string_view text);

// "Rand. Env.": attack levels 50..99, initial and decay 1 levels below their attack level, decay 2
// levels below their decay 1 level (0 when that is 0), attack and decay rates 0..99; release,
// scaling and delay stay. Each value is the last of 500 draws, in this order, A to D per step.
// The caller reseeds first; see RandEnvelopes.
void drawRandomEnvelopes(VoiceParams& params, RandomSource& source);

// The button's whole draw: a fresh seed from the clock, then drawRandomEnvelopes.
void RandEnvelopes(VoiceParams& params, RandomSource& source);

// StartDir/bmp/Sclev<n>.bmp and StartDir/bmp/Scrate<n>.bmp. `n` is the type as shown (one-based).
std::string levelScalingPicture(const std::string& startDir, int n);
std::string rateScalingPicture(const std::string& startDir, int n);

} // namespace morvex
