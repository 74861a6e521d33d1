#pragma once
// The voice as one value, for undo and compare: everything the pages edit and a send or save
// carries, without the program's surroundings (start folder, MIDI device).

#include "morvex/MorvexState.h"

namespace morvex {

struct VoiceSnapshot {
    VoiceBytes voiceData{};
    DumpHeaderBytes dumpHeader{};
    std::array<char, kVoiceNameLength> voiceName{};
    VoiceParams voiceParams{};
    std::array<FmBlock, kFmElementCount> fmParams{};
    std::array<std::uint8_t, kElementCount> elementSwitch{};

    static VoiceSnapshot of(const MorvexState& state);
    // Puts the voice back into `state`; its start folder and device stay.
    void restoreInto(MorvexState& state) const;
};

// Whether the two would send and save the same voice. The raw bytes are compared as the next
// encode leaves them, so a send or save in between (which encodes) is not a change, while a byte
// set by hand that the encoder keeps is one.
bool sameVoice(const VoiceSnapshot& a, const VoiceSnapshot& b);

} // namespace morvex
