#include "morvex/VectorTable.h"

#include "morvex/ParameterMap.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace morvex {

namespace {

int digitValue(char c, int base) {
    int d = -1;
    if (c >= '0' && c <= '9')
        d = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f')
        d = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F')
        d = c - 'A' + 10;
    return d;
}

const char* tableName(VectorKind kind) {
    return kind == VectorKind::Level ? "LevelEdit" : "DetuneEdit";
}

// The ranges of the columns x, y and length, as the parameter table has them.
constexpr ValueRange kColumnRanges[2][3] = {
    {parameterNamed("level_vector.x").range, parameterNamed("level_vector.y").range,
     parameterNamed("level_vector.time").range},
    {parameterNamed("detune_vector.x").range, parameterNamed("detune_vector.y").range,
     parameterNamed("detune_vector.time").range},
};

const ValueRange& columnRange(VectorKind kind, int column) {
    return kColumnRanges[kind == VectorKind::Level ? 0 : 1][column - 1];
}

VectorSteps& sequence(VoiceParams& params, VectorKind kind) {
    return kind == VectorKind::Level ? params.levelVector : params.detuneVector;
}

} // namespace

CellNumber readCellInteger(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    }
    // The magnitude may reach 2^31 only for a negative number.
    const std::int64_t limit =
        static_cast<std::int64_t>(std::numeric_limits<int>::max()) + (negative ? 1 : 0);
    std::int64_t magnitude = 0;
    std::size_t digits = 0;
    for (; i < text.size(); ++i, ++digits) {
        const int d = digitValue(text[i], base);
        if (d < 0 || magnitude * base + d > limit) break;
        magnitude = magnitude * base + d;
    }
    const auto value = static_cast<int>(negative ? -magnitude : magnitude);
    return CellNumber{value, digits > 0 && i == text.size()};
}

CellNumber readLengthCell(std::string_view text) {
    if (text == "Rep") return CellNumber{kRepeatMark, true};
    if (text == "End") return CellNumber{kEndMark, true};
    return readCellInteger(text);
}

std::string lengthText(int time) {
    if (time == kRepeatMark) return "Rep";
    if (time == kEndMark) return "End";
    return std::to_string(time);
}

VectorTableTexts vectorTableTexts(const VectorSteps& steps) {
    VectorTableTexts texts;
    for (int p = 0; p < kVectorSteps; ++p)
        texts[p] = {std::to_string(steps[p].x), std::to_string(steps[p].y),
                    lengthText(steps[p].time)};
    return texts;
}

Report vectorCellWarning(VectorKind kind, int column) {
    return Report{Report::Icon::Warning, "Error",
                  std::string("Wrong character in ") + tableName(kind) + " table (Column " +
                      std::to_string(column) + ")"};
}

Report vectorRangeWarning(VectorKind kind, int column, int value) {
    return Report{Report::Icon::Warning, "Error",
                  std::to_string(value) + " is outside " + columnRange(kind, column).text() +
                      " in " + tableName(kind) + " table (Column " + std::to_string(column) + ")"};
}

VectorSteps readVectorTable(const VectorTableTexts& texts, VectorKind kind,
                            std::vector<Report>& warnings) {
    VectorSteps steps;
    for (int p = 0; p < kVectorSteps; ++p) {
        const VectorRowTexts& row = texts[p];
        const CellNumber cells[3] = {readCellInteger(row[kColumnX]), readCellInteger(row[kColumnY]),
                                     readLengthCell(row[kColumnLength])};
        for (int c = 0; c < 3; ++c) {
            if (!cells[c].valid)
                warnings.push_back(vectorCellWarning(kind, c + 1));
            else if (!columnRange(kind, c + 1).contains(cells[c].value))
                warnings.push_back(vectorRangeWarning(kind, c + 1, cells[c].value));
        }
        steps[p] =
            VectorStep{cells[kColumnLength].value, cells[kColumnX].value, cells[kColumnY].value};
    }
    return steps;
}

void zeroVectorTable(VectorTableTexts& texts) {
    for (int p = 0; p < kVectorSteps - 1; ++p) texts[p] = {"0", "0", "0"};
    texts[0][kColumnLength] = "End";
}

VectorSteps drawRandomVector(const VectorRandomSettings& s, RandomSource& source) {
    constexpr int kDraws = 400;
    auto draw = [&](int n) { return source.pick(n, kDraws); };
    const int finesse = std::max(1, s.finesse); // the page's box starts at 1; a script might not
    const int repeatStep = draw(kVectorSteps);

    std::array<int, kVectorSteps> x{}, y{}, length{};
    x[0] = draw(2 * s.maxX) - s.maxX;
    y[0] = draw(2 * s.maxY) - s.maxY;
    length[0] = draw(s.maxRate);

    // Each step goes a random part of the way towards the bound it heads for; a coarse finesse
    // lets it go further, so the walk never leaves -bound..bound.
    auto walk = [&](std::array<int, kVectorSteps>& v, int bound) {
        for (int i = 1; i <= repeatStep; ++i) {
            const int direction = draw(2) == 0 ? -1 : 1;
            const int room = (bound - direction * v[i - 1]) / finesse;
            v[i] = v[i - 1] + direction * draw(room);
        }
    };
    walk(x, s.maxX);
    walk(y, s.maxY);
    for (int i = 1; i < repeatStep; ++i) length[i] = draw(s.maxRate);
    length[repeatStep] = kRepeatMark;

    VectorSteps steps; // the steps after the repeat mark stay zero
    for (int i = 0; i <= repeatStep; ++i) steps[i] = VectorStep{length[i], x[i], y[i]};
    return steps;
}

void RandVal(VoiceParams& params, VectorKind kind, const VectorRandomSettings& settings,
             RandomSource& source) {
    source.seedFromClock();
    sequence(params, kind) = drawRandomVector(settings, source);
}

} // namespace morvex
