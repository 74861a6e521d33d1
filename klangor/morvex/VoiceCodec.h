#pragma once
// Between the raw voice (VoiceData) and the decoded one (VoiceParams, VoiceName, FmParams).

#include "morvex/MorvexState.h"

#include <functional>
#include <string>
#include <vector>

namespace morvex {

// VoiceData -> VoiceParams, VoiceName and FmParams, all of them.
void DecodeVoice(MorvexState& state);

// Told the offset of each byte that the range check finds above 127.
using RangeReporter = std::function<void(int offset)>;

// VoiceParams, VoiceName and FmParams -> VoiceData, then the range check over offsets 1..573. Every
// byte above 127 is reported, in offset order, and returned; the voice is encoded all the same,
// because the caller saves or sends it as it is.
std::vector<int> EncodeVoice(MorvexState& state, const RangeReporter& report = {});

// The message for one such byte: "Parameter 23 größer als 127!" (caption "Fehler").
std::string rangeMessage(int offset);

} // namespace morvex
