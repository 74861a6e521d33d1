#include "morvex/EnvelopeLogic.h"

#include "morvex/Arithmetic.h"

#include <filesystem>

namespace morvex {

namespace {

// Every draw of "Rand. Env." keeps the last of this many numbers.
constexpr int kRandomDraws = 500;

std::string picturePath(const std::string& startDir, const char* stem, int n) {
    return (std::filesystem::path(startDir) / "bmp" / (stem + std::to_string(n) + ".bmp")).string();
}

} // namespace

const std::array<EnvelopeRecord, 6> EnvelopePresets = {{
    {67, 99, 99, 92, 40, 0, 28, 64, 1, 3}, // Piano
    {0, 99, 99, 90, 48, 0, 38, 70, 1, 1},  // Guitar
    {67, 99, 99, 61, 64, 0, 56, 64, 1, 1}, // Pluck
    {0, 99, 80, 92, 40, 92, 0, 76, 1, 1},  // Brass
    {67, 99, 56, 99, 0, 99, 0, 54, 1, 1},  // Strings
    {0, 99, 99, 99, 0, 99, 0, 78, 1, 1},   // Organ
}};
static_assert(std::size(EnvelopePresets) + kFirstEnvPreset == std::size(kEnvelopeTypeNames));

ScalingTypes scalingTypesOf(int scalingValue) {
    const HighLow hl = DivMod(16, scalingValue);
    return {hl.high + 1, hl.low + 1};
}

int scalingValueOf(int levelType, int rateType) {
    return MulAdd(16, levelType - 1, rateType - 1);
}

EnvelopeRecord envelopeOf(const VoiceParams& p, int e) {
    const ScalingTypes types = scalingTypesOf(p.scaling[e]);
    return {p.initialLevel[e], p.attackLevel[e], p.attackRate[e], p.decay1Level[e],
            p.decay1Rate[e],   p.decay2Level[e], p.decay2Rate[e], p.releaseRate[e],
            types.level,       types.rate};
}

std::optional<EnvelopeRecord> envelopeForType(int entry, const EnvelopeSnapshot& snapshot,
                                              int element) {
    if (element < 0 || element >= kElementCount) return std::nullopt;
    if (entry == kEnvTypeSnapshot) return snapshot[element];
    if (entry < kFirstEnvPreset || entry >= static_cast<int>(kEnvelopeTypeNames.size()))
        return std::nullopt;
    return EnvelopePresets[entry - kFirstEnvPreset];
}

std::optional<int> elementFromLetter(std::string_view text) {
    static constexpr std::string_view kLetters[] = {"A", "B", "C", "D"};
    for (int e = 0; e < kElementCount; ++e)
        if (text == kLetters[e]) return e;
    return std::nullopt;
}

void drawRandomEnvelopes(VoiceParams& p, RandomSource& source) {
    const auto draw = [&](int n) { return source.pick(n, kRandomDraws); };
    for (int e = 0; e < kElementCount; ++e) p.attackLevel[e] = draw(50) + 50;
    for (int e = 0; e < kElementCount; ++e) p.attackRate[e] = draw(100);
    for (int e = 0; e < kElementCount; ++e) p.initialLevel[e] = draw(p.attackLevel[e]);
    for (int e = 0; e < kElementCount; ++e) p.decay1Level[e] = draw(p.attackLevel[e]);
    for (int e = 0; e < kElementCount; ++e) p.decay1Rate[e] = draw(100);
    for (int e = 0; e < kElementCount; ++e) p.decay2Level[e] = draw(p.decay1Level[e]);
    for (int e = 0; e < kElementCount; ++e) p.decay2Rate[e] = draw(100);
}

void RandEnvelopes(VoiceParams& params, RandomSource& source) {
    source.seedFromClock();
    drawRandomEnvelopes(params, source);
}

std::string levelScalingPicture(const std::string& startDir, int n) {
    return picturePath(startDir, "Sclev", n);
}

std::string rateScalingPicture(const std::string& startDir, int n) {
    return picturePath(startDir, "Scrate", n);
}

} // namespace morvex
