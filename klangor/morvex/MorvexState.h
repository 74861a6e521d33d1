#pragma once
// The one Morvex voice that Klangor edits, in its raw and its decoded form, and the few
// program-wide values that travel with it. The window program's session and each command of the
// command-line tool own one.

#include <array>
#include <cstdint>
#include <string>

namespace morvex {

inline constexpr int kVoiceDataSize = 576; // VoiceData: the data part of the voice bulk dump
inline constexpr int kDumpHeaderSize = 16; // DumpHeader: F0 43 0n 7E, byte count, format name
inline constexpr int kDumpSize = kDumpHeaderSize + kVoiceDataSize; // 592
inline constexpr int kVoiceNameLength = 8;
inline constexpr int kElementCount = 4;   // A, B, C, D
inline constexpr int kFmElementCount = 2; // B, D
inline constexpr int kFmBlockSize = 21;
inline constexpr int kVectorSteps = 50;

using VoiceBytes = std::array<std::uint8_t, kVoiceDataSize>;
using DumpHeaderBytes = std::array<std::uint8_t, kDumpHeaderSize>;
using PerElement = std::array<int, kElementCount>;
using PerFmElement = std::array<int, kFmElementCount>;
using FmBlock = std::array<int, kFmBlockSize>; // one FM element's FmParams

enum Element { A = 0, B = 1, C = 2, D = 3 };

// VoiceData bytes 55 (B) and 129 (D): non-zero makes the element's FM wave "UserDefined".
inline constexpr std::array<int, kFmElementCount> kFmMarkerOffset = {55, 129};

// Which FM element a call means: B is the first FM element, D the second.
enum class FmElement { B = 1, D = 2 };
inline constexpr int fmIndex(FmElement e) {
    return static_cast<int>(e) - 1;
}

struct VectorStep {
    int time = 0; // step length; 254 repeats the sequence, 255 ends it
    int x = 0;    // -31..31
    int y = 0;    // -31..31
    bool operator==(const VectorStep&) const = default;
};
using VectorSteps = std::array<VectorStep, kVectorSteps>;

// The decoded voice, in the units the editor pages show.
struct VoiceParams {
    int effect = 0;        // 16 * depth + type
    int configuration = 0; // 0 = "A-B", 1 = "A-B-C-D"
    int pitchBend = 0;
    int switches = 0; // controller switch bits
    int aftertouchPitch = 0;
    int delayRate = 0;     // envelope delay rate, 0..99
    int attackOffset = 0;  // envelope attack-rate offset, -99..99
    int releaseOffset = 0; // envelope release-rate offset, -99..99

    PerElement wave{}; // B and D: 256 = "UserDefined"
    PerElement freqShift{};
    PerElement sensitivity{};  // 16 * aftertouch code + velocity code
    PerElement lfoFormSpeed{}; // 32 * form + speed
    PerElement lfoDelay{};
    PerElement lfoRate{};
    PerElement lfoAm{};
    PerElement lfoPm{};
    PerElement pan{}; // 0..4 = LL, L, M, R, RR
    PerElement volume{};
    PerElement scaling{}; // level/rate scaling value
    PerElement delaySwitch{};
    PerElement initialLevel{};
    PerElement attackLevel{};
    PerElement attackRate{};
    PerElement decay1Level{};
    PerElement decay1Rate{};
    PerElement decay2Level{};
    PerElement decay2Rate{};
    PerElement releaseRate{};

    PerFmElement toneFeedback{}; // B, D
    PerFmElement toneLevel{};    // B, D

    int levelSpeed = 0;  // level vector speed in ms (10 * stored byte)
    int detuneSpeed = 0; // detune vector speed in ms
    VectorSteps levelVector{};
    VectorSteps detuneVector{};

    bool operator==(const VoiceParams&) const = default;
};

struct MorvexState {
    VoiceBytes voiceData{};
    DumpHeaderBytes dumpHeader{};
    std::array<char, kVoiceNameLength> voiceName{};
    VoiceParams voiceParams{};
    std::array<FmBlock, kFmElementCount> fmParams{}; // B, D
    std::array<std::uint8_t, kElementCount>
        elementSwitch{};         // 1 = element on; not part of the voice
    std::uint8_t midiDevice = 0; // index of the MIDI output (and input) port
    std::string startDir;        // folder of morvex.lst, morvex.dev and the page pictures
};

} // namespace morvex
