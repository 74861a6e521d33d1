#include "morvex/FmEditLogic.h"

#include "morvex/Arithmetic.h"

#include <algorithm>

namespace morvex {

namespace {

using K = FmFieldKind;
using G = FmFieldGroup;

constexpr std::array<FmEditField, kFmEditFieldCount> kFields = {{
    {"1", 1, K::Switch, 0, 1, "Fixed Modulator Freq. on", G::Switches, false, 0},
    {"2a", 2, K::High, 0, 7, "Waveform", G::Modulator, true, 7},
    {"2b", 2, K::Low, 0, 15, "Frequency", G::Modulator, true, 15},
    {"4a", 4, K::High, 0, 3, "Temperament", G::Modulator, true, 3},
    {"4b", 4, K::Low, 0, 15, "Detune", G::Modulator, true, 15},
    {"6a", 6, K::High, 0, 15, "Level Type", G::Modulator, true, 0},
    {"6b", 6, K::Low, 0, 7, "Rate Type", G::Modulator, true, 0},
    {"7", 7, K::Switch, 0, 1, "Envelope Delay Rate on", G::Switches, false, 0},
    {"8", 8, K::Single, 0, 99, "Attack Rate", G::Modulator, true, 0},
    {"9", 9, K::Switch, 0, 1, "Unknown Function", G::Switches, false, 0},
    {"10", 10, K::Single, 0, 99, "Decay Rate 1", G::Modulator, true, 0},
    {"11", 11, K::Single, 0, 99, "Decay Rate 2", G::Modulator, true, 0},
    {"12", 12, K::Single, 0, 99, "Release Rate", G::Modulator, true, 0},
    {"13", 13, K::Single, 0, 99, "Initial Level", G::Modulator, true, 0},
    {"14", 14, K::Single, 0, 99, "Attack Level", G::Modulator, true, 0},
    {"15", 15, K::Single, 0, 99, "Decay Level 1", G::Modulator, true, 0},
    {"16", 16, K::Single, 0, 99, "Decay Level 2", G::Modulator, true, 0},
    {"17", 17, K::Switch, 0, 1, "Fixed Carrier Freq. on", G::Switches, false, 0},
    {"18a", 18, K::High, 0, 7, "Waveform", G::Carrier, false, 0},
    {"18b", 18, K::Low, 0, 15, "Frequency", G::Carrier, false, 0},
    {"20a", 20, K::High, 0, 3, "Temperament", G::Carrier, false, 0},
    {"20b", 20, K::Low, 0, 15, "Detune", G::Carrier, false, 0},
}};

// A pair's two boxes sit next to each other in the table, the high one first.
constexpr bool pairsAdjacent() {
    for (int i = 0; i < kFmEditFieldCount; ++i)
        if (kFields[i].kind == K::High &&
            (i + 1 == kFmEditFieldCount || kFields[i + 1].kind != K::Low ||
             kFields[i + 1].position != kFields[i].position))
            return false;
    return true;
}
static_assert(pairsAdjacent());

int span(const FmEditField& f) {
    return f.maximum - f.minimum + 1;
}

// A position the page shows is drawn from the values its boxes can show, a pair as one draw over
// all its combinations, so that the page shows the drawn block as it is and sends it unchanged.
// Positions 3 and 5 are drawn as well (EncodeVoice writes them from elsewhere).
int drawPosition(int position, RandomSource& source, int drawCount) {
    constexpr int kFlagOfLevelType = 5;
    const auto field = std::find_if(kFields.begin(), kFields.end(),
                                    [&](const FmEditField& f) { return f.position == position; });
    if (field == kFields.end())
        return source.pick(position == kFlagOfLevelType ? 2 : 100, drawCount);
    if (field->kind != K::High) return field->minimum + source.pick(span(*field), drawCount);
    const FmEditField& low = field[1];
    const int drawn = source.pick(span(*field) * span(low), drawCount);
    return MulAdd(kFmPairBase, field->minimum + drawn / span(low), low.minimum + drawn % span(low));
}

} // namespace

const std::array<FmEditField, kFmEditFieldCount>& fmEditFields() {
    return kFields;
}

FmEditValues fmEditDesignValues(FmElement element) {
    FmEditValues v{};
    if (element == FmElement::B)
        for (int i = 0; i < kFmEditFieldCount; ++i) v[i] = kFields[i].designB;
    return v;
}

FmEditValues fmEditValues(const FmBlock& block) {
    FmEditValues v{};
    for (int i = 0; i < kFmEditFieldCount; ++i) {
        const FmEditField& f = kFields[i];
        const int stored = block[f.position];
        const HighLow split = DivMod(kFmPairBase, stored);
        int shown = stored;
        if (f.kind == K::Switch) shown = stored == 1 ? 1 : 0;
        if (f.kind == K::High) shown = split.high;
        if (f.kind == K::Low) shown = split.low;
        v[i] = std::clamp(shown, f.minimum, f.maximum);
    }
    return v;
}

void storeFmEditValues(const FmEditValues& boxes, FmBlock& block, const FmEditChanges& changed) {
    for (int i = 0; i < kFmEditFieldCount; ++i) {
        const FmEditField& f = kFields[i];
        switch (f.kind) {
        case K::Switch:
            if (changed[i]) block[f.position] = boxes[i] != 0 ? 1 : 0;
            break;
        case K::High:
            if (changed[i] || changed[i + 1])
                block[f.position] = MulAdd(kFmPairBase, boxes[i], boxes[i + 1]);
            break;
        case K::Low: // written with its high box
            break;
        case K::Single:
            if (changed[i]) block[f.position] = boxes[i];
            break;
        }
    }
}

void SetUserDefined(MorvexState& state, FmElement element) {
    state.voiceData[kFmMarkerOffset[fmIndex(element)]] = 1;
}

void drawRandomFmBlock(FmBlock& block, RandomSource& source, int drawCount) {
    for (int p = 1; p <= 18; ++p) block[p] = drawPosition(p, source, drawCount);
    block[20] = drawPosition(20, source, 350);
}

void RandomFMBVal(MorvexState& state, RandomSource& source) {
    drawRandomFmBlock(state.fmParams[fmIndex(FmElement::B)], source, 350);
    SetUserDefined(state, FmElement::B);
}

void RandomFMDVal(MorvexState& state, RandomSource& source) {
    source.seedFromClock();
    drawRandomFmBlock(state.fmParams[fmIndex(FmElement::D)], source, 400);
    SetUserDefined(state, FmElement::D);
}

FmEditValues CopyFmElement(const FmEditValues& source, MorvexState& state, FmElement target) {
    SetUserDefined(state, target);
    return source;
}

} // namespace morvex
