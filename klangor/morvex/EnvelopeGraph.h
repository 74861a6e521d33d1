#pragma once
// The geometry of the envelope graph: where the four curves, their sustain lines, baselines and
// letters go in a paint area of a given size. The window only strokes what this computes, so the
// drawing can be checked to the pixel without a window.

#include "morvex/MorvexState.h"

#include <array>
#include <cstdint>

namespace morvex {

struct GraphPoint {
    int x = 0;
    int y = 0;
    bool operator==(const GraphPoint&) const = default;
};

struct GraphColor {
    std::uint8_t red = 0, green = 0, blue = 0;
    bool operator==(const GraphColor&) const = default;
};

// One element's part of the graph. Coordinates are those of the paint area; lines that reach
// right + width run past its right edge on purpose and are clipped by the painter.
struct EnvelopeCurve {
    std::array<GraphPoint, 4> points; // initial, attack, decay 1, decay 2: the solid polyline
    GraphPoint sustainEnd;            // dotted from points[3] at the decay 2 level
    GraphPoint baselineStart;         // dotted, in the text colour
    GraphPoint baselineEnd;
    GraphPoint labelAt; // top-left of the element's letter
    char label = 'A';
    GraphColor color;
};

// The paint box of the design: left 16, width 761, height 297.
inline constexpr int kGraphLeft = 16;
inline constexpr int kGraphWidth = 761;
inline constexpr int kGraphHeight = 297;

// Each element gets a band this high; its baseline is the band's bottom.
inline constexpr int kGraphBand = 73;

// Height above the baseline of a level 0..99 (99 is 70 pixels up, 0 about none).
int levelHeight(int level);
// Width of a rate segment 0..99 (0 is 600 pixels, 99 about none).
int rateWidth(int rate);

// The four curves, A to D, top to bottom. `left` is both where the curves start and the margin
// the letters sit in; the curves are read from the voice as it is now.
std::array<EnvelopeCurve, kElementCount> EnvelopeCurves(const VoiceParams& params, int left,
                                                        int width, int height);

} // namespace morvex
