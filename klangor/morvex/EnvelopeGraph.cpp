#include "morvex/EnvelopeGraph.h"

#include <algorithm>
#include <cmath>

namespace morvex {

namespace {

constexpr GraphColor kColors[kElementCount] = {
    {255, 0, 255}, // A magenta
    {0, 0, 255},   // B blue
    {0, 255, 0},   // C green
    {0, 255, 255}, // D cyan
};

// Halves go to the even neighbour, as everywhere else in the voice's arithmetic.
int roundToInt(double v) {
    return static_cast<int>(std::nearbyint(v));
}

// A voice file can carry rates beyond the boxes' 0..99 (the decay 1 bias reaches -100); drawn
// as they are they would throw the curve millions of pixels away.
int clamp99(int v) {
    return std::clamp(v, 0, 99);
}

double levelCurve(int level) {
    return 70.0 * std::exp(-0.06 * (99 - clamp99(level)));
}

} // namespace

int levelHeight(int level) {
    return roundToInt(levelCurve(level));
}

int rateWidth(int rate) {
    return roundToInt(600.0 * std::exp(-0.1 * clamp99(rate)));
}

std::array<EnvelopeCurve, kElementCount> EnvelopeCurves(const VoiceParams& p, int left, int width,
                                                        int height) {
    std::array<EnvelopeCurve, kElementCount> curves{};
    for (int e = 0; e < kElementCount; ++e) {
        const int q = height - 4 - kGraphBand * (kElementCount - 1 - e);
        EnvelopeCurve& c = curves[e];
        auto& pt = c.points;
        // The start point rounds the difference, not the height, which differs only at halves.
        pt[0] = {left, roundToInt(q - levelCurve(p.initialLevel[e]))};
        pt[1] = {pt[0].x + rateWidth(p.attackRate[e]), q - levelHeight(p.attackLevel[e])};
        pt[2] = {pt[1].x + rateWidth(p.decay1Rate[e]), q - levelHeight(p.decay1Level[e])};
        pt[3] = {pt[2].x + rateWidth(p.decay2Rate[e]), q - levelHeight(p.decay2Level[e])};
        c.sustainEnd = {left + width, pt[3].y};
        c.baselineStart = {left, q};
        c.baselineEnd = {left + width, q};
        c.labelAt = {left - 16, q - 16};
        c.label = static_cast<char>('A' + e);
        c.color = kColors[e];
    }
    return curves;
}

} // namespace morvex
