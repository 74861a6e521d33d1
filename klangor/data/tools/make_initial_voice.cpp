// make-initial-voice OUTFILE: writes initial.syx, the voice Klangor loads at start.
//
// A soft layered pad: strings and choir on the AWM elements, a sustained and a string FM wave on
// the FM elements (their FM blocks come from morvex.lst, as if picked on the Tone page), all four
// elements audible in configuration "A-B-C-D", and a short level vector that moves the mix and ends
// with "End". The file goes through the same encoder, check bytes and writer as any saved voice.

#include "morvex/FmPresetList.h"
#include "morvex/StartDir.h"
#include "morvex/VoiceCodec.h"
#include "morvex/VoiceFile.h"
#include "morvex/WaveNames.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace {
using namespace morvex;

constexpr int kEndMark = 255;
// The byte count of the header counts the format name and the parameters.
constexpr int kCountedBytes = 10 + 572;

template <std::size_t N>
int waveNumber(const std::array<std::string_view, N>& names, std::string_view name) {
    return static_cast<int>(std::find(names.begin(), names.end(), name) - names.begin());
}

void fillHeader(DumpHeaderBytes& header) {
    const std::uint8_t start[] = {0xF0, 0x43, 0x00, 0x7E, kCountedBytes >> 7, kCountedBytes & 0x7F};
    std::copy(std::begin(start), std::end(start), header.begin());
    std::memcpy(header.data() + 6, "PH  2203AE", 10);
}

void fillVoice(VoiceParams& v) {
    v.effect = 16 * 3 + 1; // depth 3, type 1
    v.configuration = 1;   // A-B-C-D
    v.pitchBend = 2;
    v.switches = 4 | 2; // bit 4 is always set; wheel controls PM
    v.levelSpeed = 40;
    v.detuneSpeed = 10;

    v.wave = {waveNumber(AwmWaveNames(), "Strings"), waveNumber(FmWaveNames(), "Sus. 1"),
              waveNumber(AwmWaveNames(), "Choir"), waveNumber(FmWaveNames(), "Str 1")};
    v.volume = {92, 78, 85, 72};
    v.pan = {2, 1, 3, 2};                                             // M, L, R, M
    v.sensitivity = {16 * 1 + 2, 16 * 1 + 2, 16 * 1 + 2, 16 * 1 + 2}; // aftertouch 1, velocity 2
    v.lfoFormSpeed = {32 * 2 + 18, 32 * 2 + 18, 32 * 1 + 12, 32 * 1 + 12};
    v.lfoDelay = {40, 40, 50, 50};
    v.lfoRate = {30, 30, 30, 30};
    v.lfoAm = {16, 16, 16, 16}; // no depth; A and C always carry routing 1
    v.lfoPm = {32 + 4, 32 + 4, 32 + 3, 32 + 3};
    for (int e = 0; e < kElementCount; ++e) {
        v.initialLevel[e] = 0;
        v.attackLevel[e] = 99;
        v.attackRate[e] = 44 + 6 * e; // even: below 73 the synthesizer stores rates halved
        v.decay1Level[e] = 92;
        v.decay1Rate[e] = 30;
        v.decay2Level[e] = 85;
        v.decay2Rate[e] = 12;
        v.releaseRate[e] = 40;
    }
    v.levelVector[0] = {20, 0, 0};
    v.levelVector[1] = {30, 18, -12};
    v.levelVector[2] = {30, -14, 16};
    v.levelVector[3] = {kEndMark, 0, 0};
    v.detuneVector[0] = {kEndMark, 0, 0};
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-initial-voice OUTFILE\n");
        return 1;
    }
    MorvexState state;
    fillHeader(state.dumpHeader);
    std::memcpy(state.voiceName.data(), "Init Pad", kVoiceNameLength);
    fillVoice(state.voiceParams);
    for (FmElement e : {FmElement::B, FmElement::D}) {
        const int wave = state.voiceParams.wave[e == FmElement::B ? B : D];
        if (Status problem = LoadFmPreset(state, wave, e, KLANGOR_DATA_DIR)) {
            std::fprintf(stderr, "%s\n", problem->text.c_str());
            return 1;
        }
    }
    // The preset brings its own tone level and feedback; keep them, as the Tone page would.
    if (!EncodeVoice(state, [](int offset) {
             std::fprintf(stderr, "%s\n", rangeMessage(offset).c_str());
         }).empty())
        return 1;
    if (Status problem = SaveVoiceFile(state, argv[1])) {
        std::fprintf(stderr, "%s\n", problem->text.c_str());
        return 1;
    }
    return 0;
}
