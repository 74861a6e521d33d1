#pragma once
// The Vector page's two step tables as the user types them, and its random and zero buttons. The
// page only moves texts between its grids and these functions.

#include "morvex/MorvexState.h"
#include "morvex/RandomSource.h"
#include "morvex/Report.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace morvex {

inline constexpr int kRepeatMark = 254; // shown and typed as "Rep"
inline constexpr int kEndMark = 255;    // shown and typed as "End"

enum class VectorKind { Level, Detune };

// Columns 1..3 of a table row: x, y and length.
enum VectorColumn { kColumnX = 0, kColumnY = 1, kColumnLength = 2 };
using VectorRowTexts = std::array<std::string, 3>;
using VectorTableTexts = std::array<VectorRowTexts, kVectorSteps>;

// The number in a cell: leading blanks, an optional sign, decimal digits, or "$" and hexadecimal
// digits. A cell that is not entirely such a number (empty included) is not `valid`; its `value` is
// then the number formed by the digits before the first bad character, 0 without any. A digit that
// would overflow an int counts as the first bad character.
struct CellNumber {
    int value = 0;
    bool valid = false;
    bool operator==(const CellNumber&) const = default;
};
CellNumber readCellInteger(std::string_view text);

// Length cells also take "Rep" and "End", spelt exactly so.
CellNumber readLengthCell(std::string_view text);
std::string lengthText(int time);

VectorTableTexts vectorTableTexts(const VectorSteps& steps);

// The warning for one bad cell: "Wrong character in LevelEdit table (Column 3)", caption "Error".
// `column` counts as on the page: 1 = x, 2 = y, 3 = length.
Report vectorCellWarning(VectorKind kind, int column);

// The warning for a number outside the column's range: "40 is outside -31..31 in LevelEdit table
// (Column 1)", caption "Error".
Report vectorRangeWarning(VectorKind kind, int column, int value);

// Reads rows 1..50 in order into steps, each bad cell adding its warning to `warnings` and storing
// its partial number. A number outside its column's range is stored as it is, with its warning.
VectorSteps readVectorTable(const VectorTableTexts& texts, VectorKind kind,
                            std::vector<Report>& warnings);

// " Zero Level" / "Zero Detune": rows 1..49 become 0, 0, 0, then row 1's length "End". The last row
// keeps its text.
void zeroVectorTable(VectorTableTexts& texts);

// The random settings of the page; they belong to the page, not to the voice.
struct VectorRandomSettings {
    int finesse = 4; // divisor of the room a walk step may take, 1..9
    int maxRate = 4; // lengths are drawn from 0..maxRate-1
    int maxX = 20;   // x starts in -maxX..maxX-1 and walks inside -maxX..maxX
    int maxY = 20;
};

// A random sequence drawn from `source` without reseeding: a repeat mark at a random step (the
// first draw), x and y as bounded random walks up to it, random lengths before it, zeros after it.
// Every value is the last of 400 draws.
VectorSteps drawRandomVector(const VectorRandomSettings& settings, RandomSource& source);

// "Random Level" / "Random Detune": a fresh seed from the clock, then the drawn sequence replaces
// the chosen one in VoiceParams; the other sequence and both speeds stay.
void RandVal(VoiceParams& params, VectorKind kind, const VectorRandomSettings& settings,
             RandomSource& source);

} // namespace morvex
