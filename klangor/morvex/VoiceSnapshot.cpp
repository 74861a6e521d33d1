#include "morvex/VoiceSnapshot.h"

#include "morvex/Checksum.h"
#include "morvex/VoiceCodec.h"

namespace morvex {
namespace {

VoiceBytes encoded(const VoiceSnapshot& snapshot) {
    MorvexState state;
    snapshot.restoreInto(state);
    EncodeVoice(state);
    UpdateChecksum(state.voiceData);
    return state.voiceData;
}

} // namespace

VoiceSnapshot VoiceSnapshot::of(const MorvexState& state) {
    return {state.voiceData,   state.dumpHeader, state.voiceName,
            state.voiceParams, state.fmParams,   state.elementSwitch};
}

void VoiceSnapshot::restoreInto(MorvexState& state) const {
    state.voiceData = voiceData;
    state.dumpHeader = dumpHeader;
    state.voiceName = voiceName;
    state.voiceParams = voiceParams;
    state.fmParams = fmParams;
    state.elementSwitch = elementSwitch;
}

bool sameVoice(const VoiceSnapshot& a, const VoiceSnapshot& b) {
    return a.voiceParams == b.voiceParams && a.voiceName == b.voiceName &&
           a.fmParams == b.fmParams && a.elementSwitch == b.elementSwitch &&
           a.dumpHeader == b.dumpHeader && encoded(a) == encoded(b);
}

} // namespace morvex
