#pragma once
// The three check bytes at the end of a voice (VoiceData 572..574).

#include "morvex/MorvexState.h"

namespace morvex {

// Fills VoiceData 572..574 from 0..571. Afterwards the sum of VoiceData 0..574 is 88 modulo 128
// whenever every flag position holds 0 or 1.
void UpdateChecksum(VoiceBytes& voiceData);

} // namespace morvex
