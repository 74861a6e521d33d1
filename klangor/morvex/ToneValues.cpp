#include "morvex/ToneValues.h"

#include "morvex/Arithmetic.h"
#include "morvex/FmPresetList.h"

namespace morvex {
namespace {

constexpr int kAwmRouting = 1;          // the only routing an AWM element has
constexpr int kStoredUserDefined = 255; // wave number stored for "UserDefined"
constexpr int kWaveDraws = 800;
constexpr int kLfoDraws = 400;

void keep(std::vector<Report>& reports, Status status) {
    if (status) reports.push_back(std::move(*status));
}

bool markedUserDefined(const MorvexState& state, FmElement e) {
    return state.voiceData[kFmMarkerOffset[fmIndex(e)]] != 0;
}

int elementOf(FmElement e) {
    return e == FmElement::B ? B : D;
}

void setMarker(MorvexState& state, FmElement e, bool userDefined) {
    state.voiceData[kFmMarkerOffset[fmIndex(e)]] = userDefined ? 1 : 0;
}

} // namespace

Sensitivity splitSensitivity(int value) {
    const HighLow hl = DivMod(kSensitivityBase, value);
    return {hl.high > 4 ? hl.high - 8 : hl.high, hl.low > 5 ? hl.low - 11 : hl.low};
}

int joinSensitivity(Sensitivity s) {
    const int aftertouchCode = s.aftertouch < 0 ? s.aftertouch + 8 : s.aftertouch;
    const int velocityCode = s.velocity < 0 ? s.velocity + 11 : s.velocity;
    return MulAdd(kSensitivityBase, aftertouchCode, velocityCode);
}

LfoDepth splitLfoDepth(int base, int value) {
    const HighLow hl = DivMod(base, value);
    return {hl.low, {hl.high == 1 || hl.high == 3, hl.high == 2 || hl.high == 3}};
}

int joinLfoDepth(int base, int element, const LfoDepth& d) {
    const int routing = isFmElement(element)
                            ? (d.routing.toModulator ? 1 : 0) + (d.routing.toCarrier ? 2 : 0)
                            : kAwmRouting;
    return MulAdd(base, routing, d.depth);
}

LfoFormSpeed splitFormSpeed(int value) {
    const HighLow hl = DivMod(kFormSpeedBase, value);
    return {hl.high, hl.low};
}

int joinFormSpeed(LfoFormSpeed fs) {
    return MulAdd(kFormSpeedBase, fs.form, fs.speed);
}

ToneControls ReadToneControls(const MorvexState& state) {
    const VoiceParams& v = state.voiceParams;
    ToneControls c;
    for (int e = 0; e < kElementCount; ++e) {
        ToneElement& t = c.elements[e];
        t.wave = isFmElement(e) && markedUserDefined(state, fmElementOf(e)) ? kUserDefinedWave
                                                                            : v.wave[e];
        t.volume = v.volume[e];
        t.freqShift = v.freqShift[e];
        t.pan = v.pan[e];
        t.sensitivity = splitSensitivity(v.sensitivity[e]);
        t.am = splitLfoDepth(kLfoAmBase, v.lfoAm[e]);
        t.pm = splitLfoDepth(kLfoPmBase, v.lfoPm[e]);
        t.lfoDelay = v.lfoDelay[e];
        t.lfoRate = v.lfoRate[e];
        t.formSpeed = splitFormSpeed(v.lfoFormSpeed[e]);
    }
    c.toneLevel = v.toneLevel;
    c.toneFeedback = v.toneFeedback;
    return c;
}

std::vector<Report> StoreToneControls(MorvexState& state, const ToneControls& controls,
                                      const std::string& dir, const ToneEdits& edited) {
    VoiceParams& v = state.voiceParams;
    std::vector<Report> reports;
    for (int e = 0; e < kElementCount; ++e) {
        if (!edited.elements[e].wave) continue;
        const int wave = controls.elements[e].wave;
        if (!isFmElement(e)) {
            v.wave[e] = wave;
        } else if (wave >= kUserDefinedWave) {
            v.wave[e] = kStoredUserDefined;
            setMarker(state, fmElementOf(e), true);
        } else {
            v.wave[e] = wave;
            keep(reports, LoadFmPreset(state, wave, fmElementOf(e), dir));
        }
    }
    const auto store = [](bool changed, int& target, int value) {
        if (changed) target = value;
    };
    for (int e = 0; e < kElementCount; ++e) {
        const ToneElement& t = controls.elements[e];
        const ToneElementEdits& changed = edited.elements[e];
        store(changed.volume, v.volume[e], t.volume);
        store(changed.freqShift, v.freqShift[e], t.freqShift);
        store(changed.pan, v.pan[e], t.pan);
        store(changed.sensitivity, v.sensitivity[e], joinSensitivity(t.sensitivity));
        store(changed.am, v.lfoAm[e], joinLfoDepth(kLfoAmBase, e, t.am));
        store(changed.pm, v.lfoPm[e], joinLfoDepth(kLfoPmBase, e, t.pm));
        store(changed.lfoDelay, v.lfoDelay[e], t.lfoDelay);
        store(changed.lfoRate, v.lfoRate[e], t.lfoRate);
        store(changed.formSpeed, v.lfoFormSpeed[e], joinFormSpeed(t.formSpeed));
    }
    for (int f = 0; f < kFmElementCount; ++f) {
        store(edited.toneLevel[f], v.toneLevel[f], controls.toneLevel[f]);
        store(edited.toneFeedback[f], v.toneFeedback[f], controls.toneFeedback[f]);
    }
    return reports;
}

Status SelectFmWave(MorvexState& state, FmElement element, int index, const std::string& dir) {
    if (index < 0 || index >= kUserDefinedWave) return std::nullopt;
    state.voiceParams.wave[elementOf(element)] = index;
    Status status = LoadFmPreset(state, index, element, dir);
    setMarker(state, element, false);
    return status;
}

int SwitchElement(MorvexState& state, PerElement& muted, int element, bool on, int volumeBox) {
    state.elementSwitch[element] = on ? 1 : 0;
    if (on) return muted[element];
    muted[element] = volumeBox;
    return 0;
}

std::vector<Report> RandomizeWaves(MorvexState& state, RandomSource& source,
                                   const std::string& dir) {
    std::vector<Report> reports;
    for (int e = 0; e < kElementCount; ++e) {
        const int wave = source.pick(isFmElement(e) ? kFmPresetCount : kAwmWaveCount, kWaveDraws);
        state.voiceParams.wave[e] = wave;
        if (!isFmElement(e)) continue;
        keep(reports, LoadFmPreset(state, wave, fmElementOf(e), dir));
        setMarker(state, fmElementOf(e), false);
    }
    return reports;
}

LfoDraws DrawLfoValues(RandomSource& source) {
    LfoDraws draws;
    for (int& am : draws.am) am = source.pick(kLfoAmBase, kLfoDraws);
    for (int& pm : draws.pm) pm = source.pick(kLfoPmBase, kLfoDraws);
    for (int& speed : draws.speed) speed = source.pick(kFormSpeedBase, kLfoDraws);
    return draws;
}

void RandomizeLfo(MorvexState& state, RandomSource& source, ToneControls& controls) {
    source.seedFromClock();
    const LfoDraws draws = DrawLfoValues(source);
    VoiceParams& v = state.voiceParams;
    for (int e = 0; e < kElementCount; ++e) {
        ToneElement& t = controls.elements[e];
        t.am.depth = draws.am[e];
        t.pm.depth = draws.pm[e];
        t.formSpeed.speed = draws.speed[e];
        v.lfoAm[e] = joinLfoDepth(kLfoAmBase, e, t.am);
        v.lfoPm[e] = joinLfoDepth(kLfoPmBase, e, t.pm);
        v.lfoFormSpeed[e] = joinFormSpeed(t.formSpeed);
        v.lfoDelay[e] = t.lfoDelay;
        v.lfoRate[e] = t.lfoRate;
    }
}

} // namespace morvex
