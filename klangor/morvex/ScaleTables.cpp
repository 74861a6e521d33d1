#include "morvex/ScaleTables.h"

#include <algorithm>
#include <cmath>

namespace morvex {

const ScaleTables& BuildScaleTables() {
    static const ScaleTables tables = [] {
        ScaleTables t;
        // nearbyint rounds half to even, as the synthesizer's own tables do.
        for (int i = 0; i < 128; ++i)
            t.to99[i] = static_cast<std::uint8_t>(std::nearbyint(i * 99.0 / 127.0));
        for (int i = 0; i < 100; ++i)
            t.to127[i] = static_cast<std::uint8_t>(std::nearbyint(i * 127.0 / 99.0));
        return t;
    }();
    return tables;
}

int Scale127To99(int raw) {
    return BuildScaleTables().to99[std::clamp(raw, 0, 127)];
}

int Scale99To127(int value) {
    return BuildScaleTables().to127[std::clamp(value, 0, 99)];
}

} // namespace morvex
