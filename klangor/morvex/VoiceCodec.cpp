#include "morvex/VoiceCodec.h"

#include "morvex/ParameterMap.h"
#include "morvex/ScaleTables.h"

namespace morvex {
namespace {

void decodeFmBlock(const VoiceBytes& data, int fmElement, FmBlock& block) {
    const int base = kFmBlockOffset[fmElement];
    const auto& roles = fmBlockRoles();
    for (int i = 0; i < kFmBlockSize; ++i) block[i] = data[base + i];
    for (int i = 0; i < kFmBlockSize; ++i) {
        if (roles[i] == FmByteRole::Inverted) block[i] = Scale127To99(127 - block[i]);
        if (roles[i] == FmByteRole::LowOfFlagged && block[i - 1] == 1) block[i] += 128;
    }
}

void encodeFmBlock(const FmBlock& block, int fmElement, VoiceBytes& data) {
    const int base = kFmBlockOffset[fmElement];
    const auto& roles = fmBlockRoles();
    for (int i = 0; i < kFmBlockSize; ++i) {
        switch (roles[i]) {
        case FmByteRole::Plain:
            encodeValue(Encoding::Plain, data, base + i, block[i]);
            break;
        case FmByteRole::Inverted:
            encodeValue(Encoding::Inverted, data, base + i, block[i]);
            break;
        case FmByteRole::LowOfFlagged:
            encodeValue(Encoding::Flag128, data, base + i - 1, block[i]);
            break;
        case FmByteRole::FlagOfNext:
        case FmByteRole::ToneFeedback:
        case FmByteRole::ToneLevel:
        case FmByteRole::ElementVolume:
            break; // written with the next index or from the elements
        }
    }
}

} // namespace

void DecodeVoice(MorvexState& state) {
    BuildScaleTables();
    for (int i = 0; i < kVoiceNameLength; ++i)
        state.voiceName[i] = static_cast<char>(state.voiceData[kVoiceNameOffset + i]);
    for (const ParameterDescriptor& p : voiceParameterMap()) {
        if (!p.value) continue;
        for (int slot = 0; slot < p.slots; ++slot) {
            if (!p.covers(slot)) continue;
            int& value = p.value(state.voiceParams, slot);
            value = decodeValue(p.encoding, state.voiceData, p.offset(slot), value);
        }
    }
    for (int e = 0; e < kFmElementCount; ++e) decodeFmBlock(state.voiceData, e, state.fmParams[e]);
}

std::vector<int> EncodeVoice(MorvexState& state, const RangeReporter& report) {
    for (int i = 0; i < kVoiceNameLength; ++i)
        state.voiceData[kVoiceNameOffset + i] = static_cast<std::uint8_t>(state.voiceName[i]);
    for (const ParameterDescriptor& p : voiceParameterMap()) {
        for (int slot = 0; slot < p.slots; ++slot) {
            if (!p.covers(slot)) continue;
            const int value = p.value ? p.value(state.voiceParams, slot) : 0;
            encodeValue(p.encoding, state.voiceData, p.offset(slot), value);
        }
    }
    for (int e = 0; e < kFmElementCount; ++e) encodeFmBlock(state.fmParams[e], e, state.voiceData);

    std::vector<int> tooLarge;
    for (int n = kFirstRangeChecked; n <= kLastRangeChecked; ++n) {
        if (state.voiceData[n] <= 127) continue;
        tooLarge.push_back(n);
        if (report) report(n);
    }
    return tooLarge;
}

std::string rangeMessage(int offset) {
    return "Parameter " + std::to_string(offset) + " größer als 127!";
}

} // namespace morvex
