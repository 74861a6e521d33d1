#include "morvex/WaveNames.h"

#include <cstddef>

namespace morvex {
namespace {

constexpr auto kAwmNames = std::to_array<std::string_view>({
    "Piano",    "E.Piano",   "Clavi",    "Cembalo",  "Celesta",  "P.Organ",   "E.Organ1",
    "E.Organ2", "Bandneon",  "Trumpet",  "Mute Trp", "Trombone", "Flugelh",   "Fr Horn",
    "BrasEns",  "SynBrass",  "Flute",    "Clarinet", "Oboe",     "Sax",       "Gut",
    "Steel",    "E.Gtr1",    "E.Gtr2",   "Mute Gtr", "Sitar",    "Pluck 1",   "Pluck 2",
    "Wood B 1", "Wood B 2",  "E.Bass 1", "E.Bass 2", "E.Bass 3", "E.Bass 4",  "Slap",
    "Fretless", "SynBass1",  "SynBass2", "Strings",  "Vn.Ens.",  "Cello",     "Pizz.",
    "Syn Str.", "Choir",     "Itopia",   "Choir pa", "Vibes",    "Marimba",   "Bells",
    "Timpani",  "Tom",       "E.Tom",    "Cuica",    "Whistle",  "ThumbStr",  "SynPad",
    "Harmonic", "SynLead1",  "SynLead2", "Bell Mix", "Sweep",    "Human Atk", "Noise 1",
    "Noise 2",  "PopsHit",   "NoisPad1", "NoisPad2", "NoisPad3", "Coin",      "Crash",
    "Bottle",   "BotleOpen", "Cracker",  "Scratch",  "Metal 1",  "Metal 2",   "Metal 3",
    "Metal 4",  "Wood",      "Bamboo",   "Slam",     "Tp. Body", "Tb. Body",  "HornBody",
    "Fl.Body",  "Str.Body",  "AirBlown", "Reverse1", "Reverse2", "Reverse3",  "EP wv",
    "Organ wv", "M.Tp wv",   "Gtr wv",   "Str wv 1", "Str wv 2", "Pad wv",    "Digital1",
    "Digital2", "Digital3",  "Digital4", "Digital5", "Saw 1",    "Saw 2",     "Saw 3",
    "Saw 4",    "Square 1",  "Square 2", "Square 3", "Square 4", "Pulse 1",   "Pulse 2",
    "Pulse 3",  "Pulse 4",   "Pulse 5",  "Pulse 6",  "Tri",      "Sin8\"",    "Sin8\"+4\"",
    "SEQ 1",    "SEQ 2",     "SEQ 3",    "SEQ 4",    "SEQ 5",    "SEQ 6",     "SEQ 7",
    "SEQ 8",    "Drum Set",
});
static_assert(kAwmNames.size() == kAwmWaveCount);

// The FM presets come in numbered families; spelling them out would invite a skipped or doubled
// member, so the list is built from the runs at compile time. A run with last == 0 is one name.
struct Run {
    std::string_view stem;
    int first;
    int last;
};
constexpr Run kFmRuns[] = {
    {"E.Piano", 1, 6}, {"E.Organ", 1, 8},  {"Brass ", 1, 14},  {"Wood ", 1, 8},  {"Reed ", 1, 6},
    {"Clavi ", 1, 4},  {"Guitar ", 1, 8},  {"Bass ", 1, 9},    {"Str ", 1, 7},   {"Vibes ", 1, 4},
    {"Marimba", 1, 3}, {"Bells ", 1, 8},   {"Metal ", 1, 6},   {"Lead ", 1, 7},  {"Sus. ", 1, 15},
    {"Attack ", 1, 5}, {"Move ", 1, 7},    {"Decay ", 1, 18},  {"SFX ", 1, 7},   {"Sin 16'", 0, 0},
    {"Sin 8'", 0, 0},  {"Sin 4'", 0, 0},   {"Sin2 2/3", 0, 0}, {"Sin 2'", 0, 0}, {"Saw ", 1, 2},
    {"Square", 0, 0},  {"LFONoise", 0, 0}, {"Noise ", 1, 2},   {"Digi ", 1, 11},
};

struct Name {
    char text[16] = {};
    std::size_t size = 0;
    constexpr Name& operator<<(std::string_view s) {
        for (char c : s) text[size++] = c;
        return *this;
    }
    constexpr Name& operator<<(int n) {
        if (n >= 10) *this << n / 10;
        text[size++] = static_cast<char>('0' + n % 10);
        return *this;
    }
    constexpr std::string_view view() const { return {text, size}; }
};

template <typename Emit>
constexpr void forEachFmName(Emit emit) {
    for (const Run& run : kFmRuns) {
        if (run.last == 0) {
            emit(Name{} << run.stem);
            continue;
        }
        for (int i = run.first; i <= run.last; ++i) emit(Name{} << run.stem << i);
    }
    for (int n = 1; n <= 27; ++n)
        for (int k = 1; k <= 3; ++k) emit(Name{} << "Wave" << n << "-" << k);
    for (int n = 28; n <= 30; ++n) emit(Name{} << "Wave" << n);
    emit(Name{} << "UserDefined");
}

constexpr std::size_t fmNameCount() {
    std::size_t count = 0;
    forEachFmName([&](const Name&) { ++count; });
    return count;
}
static_assert(fmNameCount() == kFmPresetCount + 1);

constexpr std::size_t fmTextSize() {
    std::size_t size = 0;
    forEachFmName([&](const Name& name) { size += name.size; });
    return size;
}

// All names back to back; the string_views below point into it.
constexpr auto kFmText = [] {
    std::array<char, fmTextSize()> text{};
    std::size_t pos = 0;
    forEachFmName([&](const Name& name) {
        for (char c : name.view()) text[pos++] = c;
    });
    return text;
}();

constexpr auto kFmNames = [] {
    std::array<std::string_view, kFmPresetCount + 1> names{};
    std::size_t pos = 0;
    int i = 0;
    forEachFmName([&](const Name& name) {
        names[i++] = std::string_view(kFmText.data() + pos, name.size);
        pos += name.size;
    });
    return names;
}();
static_assert(kFmNames[kUserDefinedWave] == "UserDefined");

} // namespace

const std::array<std::string_view, kAwmWaveCount>& AwmWaveNames() {
    return kAwmNames;
}

const std::array<std::string_view, kFmPresetCount + 1>& FmWaveNames() {
    return kFmNames;
}

} // namespace morvex
