#pragma once
// The FM edit page's boxes and what they mean in an FM element's block (FmParams), the elements'
// user-defined markers, and the page's random and copy buttons. The page builds its controls from
// the field table and only moves values between them and these functions.

#include "morvex/MorvexState.h"
#include "morvex/RandomSource.h"

#include <array>
#include <string_view>

namespace morvex {

enum class FmFieldKind {
    Switch, // check box: 1 when checked, else 0
    High,   // first box of a pair: the position's value div 16
    Low,    // second box of a pair: the position's value mod 16
    Single, // the position's value as it is
};

enum class FmFieldGroup { Switches, Modulator, Carrier };

struct FmEditField {
    std::string_view suffix; // the control is "FMB" or "FMD" followed by this
    int position;            // index in the FM block
    FmFieldKind kind;
    int minimum;
    int maximum;
    std::string_view caption;
    FmFieldGroup group;
    bool tenStepping; // the modulator's spin boxes step by ten with the mouse
    int designB;      // the box's value before InitVars on element B; D's boxes all start at 0
};

// A pair of boxes shares one byte: the first box counts this many, the second adds to it.
inline constexpr int kFmPairBase = 16;

inline constexpr int kFmEditFieldCount = 22;
const std::array<FmEditField, kFmEditFieldCount>& fmEditFields();

// The page's boxes of one element, in field table order; check boxes as 0 or 1.
using FmEditValues = std::array<int, kFmEditFieldCount>;

FmEditValues fmEditDesignValues(FmElement element);

// InitVars: the boxes for a block, clamped to their ranges as the boxes clamp them.
FmEditValues fmEditValues(const FmBlock& block);

// Which of the page's boxes of one element the user changed since the page was filled.
using FmEditChanges = std::array<bool, kFmEditFieldCount>;
inline constexpr FmEditChanges kEveryFmBoxChanged = [] {
    FmEditChanges all{};
    all.fill(true);
    return all;
}();

// ChVars: the positions whose boxes changed, from the boxes; every other position stays, so a
// position the boxes cannot show (a switch byte of 34, a rate type above 7) keeps its value.
void storeFmEditValues(const FmEditValues& boxes, FmBlock& block,
                       const FmEditChanges& changed = kEveryFmBoxChanged);

void SetUserDefined(MorvexState& state, FmElement element);

// Positions 1..18 drawn in order, each the last of `drawCount` draws, then position 20 the last of
// 350 draws; 0 and 19 stay. A position the page shows takes only values its boxes can show (a
// switch 0 or 1, a single box 0..99, a pair any combination of its two boxes); position 5 is drawn
// from 0..1 and position 3 from 0..99.
void drawRandomFmBlock(FmBlock& block, RandomSource& source, int drawCount);

// "Random FM B": drawRandomFmBlock with 350 draws on the generator as it stands, and B marked.
void RandomFMBVal(MorvexState& state, RandomSource& source);
// "Random FM D": a fresh seed from the clock, 400 draws for positions 1..18, and D marked.
void RandomFMDVal(MorvexState& state, RandomSource& source);

// "Copy B>D" / "Copy D>B": the target's boxes become the source's and the target is marked; the
// blocks in FmParams follow only at the next ChVars.
FmEditValues CopyFmElement(const FmEditValues& source, MorvexState& state, FmElement target);

} // namespace morvex
