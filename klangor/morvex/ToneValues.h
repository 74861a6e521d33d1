#pragma once
// The Tone page's side of the voice: the per-element values that the voice keeps combined in one
// number (sensitivity, LFO AM and PM with their routing, LFO form and speed), the FM wave choice
// with its preset, the element switches, and the two random buttons. The page only moves these
// values between its controls and a ToneControls.

#include "morvex/MorvexState.h"
#include "morvex/RandomSource.h"
#include "morvex/Report.h"
#include "morvex/WaveNames.h"

#include <array>
#include <string>
#include <vector>

namespace morvex {

inline constexpr int kSensitivityBase = 16; // aftertouch code, velocity code
inline constexpr int kLfoAmBase = 16;       // routing, AM depth 0..15
inline constexpr int kLfoPmBase = 32;       // routing, PM depth 0..31
inline constexpr int kFormSpeedBase = 32;   // LFO form 0..4, speed 0..31
// The page shows an FM element's tone feedback 0..7, less than its byte could hold.
inline constexpr int kToneFeedbackMaximum = 7;

inline constexpr bool isFmElement(int element) {
    return element == B || element == D;
}
inline constexpr FmElement fmElementOf(int element) {
    return element == D ? FmElement::D : FmElement::B;
}

// Aftertouch -3..3 and velocity -5..5; negative values are stored as codes 5..7 and 6..10.
struct Sensitivity {
    int aftertouch = 0;
    int velocity = 0;
    bool operator==(const Sensitivity&) const = default;
};
Sensitivity splitSensitivity(int value);
int joinSensitivity(Sensitivity s);

// Where an FM element's LFO acts. AWM elements have no routing: their high part is always 1.
struct LfoRouting {
    bool toModulator = false;
    bool toCarrier = false;
    bool operator==(const LfoRouting&) const = default;
};
struct LfoDepth {
    int depth = 0;
    LfoRouting routing;
    bool operator==(const LfoDepth&) const = default;
};
// base is kLfoAmBase or kLfoPmBase.
LfoDepth splitLfoDepth(int base, int value);
int joinLfoDepth(int base, int element, const LfoDepth& d);

struct LfoFormSpeed {
    int form = 0; // index 0..4 of the items "1".."5"
    int speed = 0;
    bool operator==(const LfoFormSpeed&) const = default;
};
LfoFormSpeed splitFormSpeed(int value);
int joinFormSpeed(LfoFormSpeed fs);

// What the Tone page's controls show for one element.
struct ToneElement {
    int wave = 0; // list index; 256 = "UserDefined" for B and D
    int volume = 0;
    int freqShift = 0;
    int pan = 0;
    Sensitivity sensitivity;
    LfoDepth am;
    LfoDepth pm;
    int lfoDelay = 0;
    int lfoRate = 0;
    LfoFormSpeed formSpeed;
    bool operator==(const ToneElement&) const = default;
};

struct ToneControls {
    std::array<ToneElement, kElementCount> elements{};
    PerFmElement toneLevel{};    // B, D
    PerFmElement toneFeedback{}; // B, D
    bool operator==(const ToneControls&) const = default;
};

// The values the page shows for the voice (the element switches are read on their own, because
// the page turns them into check box states before anything else).
ToneControls ReadToneControls(const MorvexState& state);

// Which values of a ToneControls the user changed on the page, in the same shape; a store writes
// only those. By default every value counts as changed.
struct ToneElementEdits {
    bool wave = true;
    bool volume = true;
    bool freqShift = true;
    bool pan = true;
    bool sensitivity = true;
    bool am = true; // depth or routing
    bool pm = true;
    bool lfoDelay = true;
    bool lfoRate = true;
    bool formSpeed = true;
};
struct ToneEdits {
    std::array<ToneElementEdits, kElementCount> elements{};
    std::array<bool, kFmElementCount> toneLevel{true, true};
    std::array<bool, kFmElementCount> toneFeedback{true, true};
};

// Stores the changed values of the page into the voice. An FM element whose wave was changed to a
// preset reloads that preset into its FM block; one changed to "UserDefined" gets wave 255 and
// its marker set. The tone level and feedback of the controls are stored last, over the preset's.
// Returns what the preset loads reported.
std::vector<Report> StoreToneControls(MorvexState& state, const ToneControls& controls,
                                      const std::string& dir, const ToneEdits& edited = {});

// The user picked FM wave `index` for an element: a preset loads at once and clears the marker;
// "UserDefined" changes nothing until the page is stored.
Status SelectFmWave(MorvexState& state, FmElement element, int index, const std::string& dir);

// An element's check box changed state while its volume box shows `volumeBox`. Sets the element
// switch, remembers or hands back the volume, and returns what the volume box shows next. The
// volume reaches the voice only when the page is stored: an element is off by having volume 0.
int SwitchElement(MorvexState& state, PerElement& muted, int element, bool on, int volumeBox);

// "Rand. El.": a wave for each element (800 draws each, A to D), with the presets of B and D loaded
// (their tone level and feedback included) and their markers cleared, as picking the presets
// would do: the FM blocks hold presets now, not the user's values.
std::vector<Report> RandomizeWaves(MorvexState& state, RandomSource& source,
                                   const std::string& dir);

// The draws of "Rand. LFO" in their order: the four AM depths, the four PM depths, the four speeds,
// 400 draws each. No reseeding here.
struct LfoDraws {
    PerElement am{};
    PerElement pm{};
    PerElement speed{};
};
LfoDraws DrawLfoValues(RandomSource& source);

// "Rand. LFO": reseeds from the clock, draws, puts the depths and speeds into the controls and
// stores the LFO values of the controls (AM, PM, form/speed, delay, rate) into the voice. The
// drawn depths are stored together with the controls' routing, so the voice that is sent is the
// one the page shows.
void RandomizeLfo(MorvexState& state, RandomSource& source, ToneControls& controls);

} // namespace morvex
