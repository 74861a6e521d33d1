// make-fm-preset-list OUTFILE: writes morvex.lst, the FM block behind each of the 256 preset FM
// waves, so that choosing a preset on the Tone page fills in the FM parameters.
//
// Format: 256 lines, line k belongs to FM wave k. A line is the 21 raw bytes of an FM block in
// index order, one character each, then "\n". A byte v below 56 is written as the character
// v + 200, any other byte as itself, so the file holds no control characters and never 127..199.
//
// The values are our own: each wave gets the profile of its family (E.Piano, Brass, Bells, ...)
// with a small, hash-driven variation per member. Nothing here is random at run time, so the
// committed file can be checked against a fresh run.

#include "files/AtomicWrite.h"
#include "morvex/Arithmetic.h"
#include "morvex/FmEditLogic.h"
#include "morvex/ScaleTables.h"
#include "morvex/ToneValues.h"
#include "morvex/WaveNames.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <string_view>

namespace {

using Block = std::array<int, 21>;

// Rates and levels on the 0..99 scale of the front panel, ratios as small multipliers (0 = 1/2).
struct Profile {
    std::string_view stem;
    int feedback, modRatio, carRatio, modLevel;
    int attack, decay, sustain, release;
    int detune, volume; // volume: attenuation, 0 = loudest
    bool inharmonic;
};

// Longer stems that share a prefix with a shorter one must come first.
constexpr Profile kProfiles[] = {
    {"E.Piano", 2, 1, 1, 70, 95, 45, 20, 60, 3, 4, false},
    {"E.Organ", 4, 2, 1, 55, 99, 30, 95, 85, 2, 6, false},
    {"Brass", 6, 1, 1, 80, 70, 40, 80, 65, 4, 3, false},
    {"Wood", 3, 1, 1, 50, 65, 35, 85, 70, 1, 8, false},
    {"Reed", 5, 3, 1, 70, 75, 40, 80, 70, 2, 6, false},
    {"Clavi", 5, 3, 1, 85, 99, 60, 15, 75, 1, 5, false},
    {"Guitar", 4, 3, 1, 75, 99, 50, 10, 55, 2, 5, false},
    {"Bass", 5, 1, 0, 80, 97, 45, 35, 70, 1, 2, false},
    {"Str", 3, 1, 1, 60, 40, 30, 90, 40, 6, 7, false},
    {"Vibes", 0, 4, 1, 55, 96, 30, 5, 35, 2, 6, false},
    {"Marimba", 1, 10, 1, 65, 99, 65, 1, 50, 1, 5, false},
    {"Bells", 2, 7, 2, 75, 98, 20, 1, 30, 5, 6, true},
    {"Metal", 6, 11, 3, 85, 95, 35, 10, 40, 8, 7, true},
    {"Lead", 7, 1, 1, 85, 90, 35, 85, 70, 3, 3, false},
    {"Sus.", 3, 2, 1, 55, 35, 25, 90, 30, 5, 8, false},
    {"Attack", 5, 5, 1, 90, 99, 80, 5, 80, 2, 4, false},
    {"Move", 4, 3, 2, 70, 45, 20, 60, 35, 9, 8, false},
    {"Decay", 3, 2, 1, 70, 97, 40, 1, 45, 3, 6, false},
    {"SFX", 7, 13, 5, 95, 60, 25, 50, 25, 12, 10, true},
    {"Sin", 0, 1, 1, 1, 99, 20, 99, 80, 0, 4, false},
    {"Saw", 7, 1, 1, 75, 99, 20, 99, 80, 0, 6, false},
    {"Square", 0, 2, 1, 65, 99, 20, 99, 80, 0, 6, false},
    {"LFONoise", 7, 15, 1, 99, 99, 20, 99, 80, 14, 12, true},
    {"Noise", 7, 13, 1, 99, 99, 20, 99, 80, 12, 12, true},
    {"Digi", 5, 9, 2, 80, 95, 30, 70, 70, 4, 7, false},
    {"Wave", 3, 2, 1, 65, 99, 20, 99, 80, 2, 6, false},
};

const Profile* profileOf(std::string_view name) {
    for (const Profile& p : kProfiles)
        if (name.starts_with(p.stem)) return &p;
    return nullptr;
}

std::uint64_t mix(std::uint64_t x) { // splitmix64's finaliser: a fixed, well-spread hash
    x += 0x9e3779b97f4a7c15ULL;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
    return x ^ (x >> 31);
}

// A hash-driven offset in -spread..spread, different for every (wave, salt).
int jitter(int wave, int salt, int spread) {
    const auto h = mix(static_cast<std::uint64_t>(wave) * 64 + static_cast<std::uint64_t>(salt));
    return static_cast<int>(h % static_cast<std::uint64_t>(2 * spread + 1)) - spread;
}

int rate(int r) {
    return std::clamp(r, 20, 99);
}

// Levels are stored attenuated: 99 becomes 0 and the quietest level we use becomes 126. Each
// byte is one the encoder writes for its level, so loading a preset and sending it keeps it.
int inverted(int level) {
    level = std::clamp(level, 1, 99);
    return 127 - morvex::Scale99To127(level);
}

// Two boxes of the FM edit page in one byte.
int pair(int high, int low) {
    return morvex::MulAdd(morvex::kFmPairBase, high, low);
}

// The FM block in the roles the pages give its positions (the FM edit page's field table, and
// the Tone page for feedback, tone level and volume).
Block blockFor(int wave, std::string_view name, const Profile& p, int member) {
    int feedback = p.feedback + jitter(wave, 0, 1);
    int modWaveform = 0;
    int modRatio = p.modRatio + member % 3;
    int carRatio = p.carRatio;
    int modLevel = p.modLevel + jitter(wave, 1, 8);
    if (p.stem == "Sin") { // a pure sine: the foot mark sets the pitch, nothing modulates
        carRatio = std::array{0, 1, 2, 3, 4}[std::min(member, 4)];
        feedback = 0;
        modLevel = 0;
    } else if (p.stem == "Wave" && name.find('-') != std::string_view::npos) {
        // WaveN-k: N picks the spectrum, k how much of it.
        const int n = member / 3 + 1, k = member % 3 + 1;
        modWaveform = n / 8 % 7;
        modRatio = 1 + n % 8;
        feedback = n % 8;
        modLevel = 35 + 20 * k;
    } else if (p.stem == "Digi") {
        modWaveform = 1 + member % 6;
    }
    const int sustain = p.sustain + (p.sustain > 50 ? jitter(wave, 2, 8) : 0);
    // Keyboard scaling: inharmonic sounds fade upwards harder; fast attacks speed up upwards.
    const int levelType = (p.inharmonic ? 8 : 0) + member % 4;
    const int rateType = p.attack > 75 ? 1 + member % 3 : 0;
    const int scaling = pair(levelType, rateType);

    Block b{};
    b[0] = std::clamp(feedback, 0, morvex::kToneFeedbackMaximum);
    b[1] = p.inharmonic ? 1 : 0; // the modulator runs at a fixed frequency
    b[2] = pair(modWaveform, std::clamp(modRatio, 0, 15));
    b[3] = inverted(modLevel); // the tone level
    b[4] = pair(0, std::clamp(7 + p.detune / 2 + jitter(wave, 3, p.detune / 2 + 1), 0, 14));
    b[5] = scaling / 128; // the flag of position 6
    b[6] = scaling % 128;
    b[7] = p.attack < 50 ? 1 : 0; // slow sounds wait for the envelope delay
    // The modulator's envelope: rates, then initial, attack and the two decay levels.
    b[8] = rate(p.attack + jitter(wave, 4, 5));
    b[10] = rate(p.decay + jitter(wave, 5, 8));
    b[11] = rate(p.decay - 25 + jitter(wave, 8, 5));
    b[12] = rate(p.release + jitter(wave, 9, 3));
    b[13] = inverted(0);
    b[14] = inverted(99);
    b[15] = inverted(sustain + (99 - sustain) / 2);
    b[16] = inverted(sustain - 10);
    b[17] = 0; // the carrier follows the keys
    b[18] = pair(0, std::clamp(carRatio, 0, 15));
    b[19] = inverted(99 - 2 * p.volume + jitter(wave, 12, 2));
    b[20] = pair(0, std::clamp(7 + jitter(wave, 13, p.detune / 4), 0, 15));
    for (int v : b)
        if (v > 126)
            throw std::runtime_error("FM wave \"" + std::string(name) + "\" holds " +
                                     std::to_string(v) + ", which the file cannot");
    return b;
}

std::string presetList() {
    const auto& names = morvex::FmWaveNames();
    std::string out;
    const Profile* previous = nullptr;
    int member = 0;
    for (int wave = 0; wave < morvex::kFmPresetCount; ++wave) {
        const Profile* p = profileOf(names[wave]);
        if (!p)
            throw std::runtime_error("no family for FM wave \"" + std::string(names[wave]) + "\"");
        member = (p == previous) ? member + 1 : 0;
        previous = p;
        for (int v : blockFor(wave, names[wave], *p, member))
            out += static_cast<char>(v < 56 ? v + 200 : v);
        out += '\n';
    }
    return out;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-fm-preset-list OUTFILE\n");
        return 1;
    }
    std::string list;
    try {
        list = presetList();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make-fm-preset-list: %s\n", e.what());
        return 1;
    }

    if (files::FileError error = files::writeFileAtomically(argv[1], list)) {
        std::fprintf(stderr, "make-fm-preset-list: %s\n", error->c_str());
        return 1;
    }
    return 0;
}
