#include "morvex/VoiceCodec.h"

#include "morvex/Encodings.h"
#include "morvex/ParameterMap.h"

#include <iterator>
#include <utility>

namespace morvex {
namespace {
using namespace encodings;

// The parameter map is a compile-time constant: each of its entries becomes straight code with
// its encoding and accessor inlined, instead of a loop that dispatches on the encoding per value.
template <std::size_t I>
void decodeEntry(MorvexState& state, const ScaleTables& tables) {
    constexpr const ParameterDescriptor& p = kVoiceParameterMap[I];
    if constexpr (p.encoding != Encoding::Zero) { // the only entries without a value
        for (int slot = 0; slot < p.slotCount; ++slot) {
            if (!p.covers(slot)) continue;
            int& value = p.value(state.voiceParams, slot);
            value = decodeValue(p.encoding, state.voiceData, p.offset(slot), value, tables);
        }
    }
}

template <std::size_t I>
void encodeEntry(MorvexState& state, const ScaleTables& tables) {
    constexpr const ParameterDescriptor& p = kVoiceParameterMap[I];
    for (int slot = 0; slot < p.slotCount; ++slot) {
        if (!p.covers(slot)) continue;
        int value = 0;
        if constexpr (p.encoding != Encoding::Zero) value = p.value(state.voiceParams, slot);
        encodeValue(p.encoding, state.voiceData, p.offset(slot), value, tables);
    }
}

template <std::size_t... I>
void decodeEntries(MorvexState& state, const ScaleTables& tables, std::index_sequence<I...>) {
    (decodeEntry<I>(state, tables), ...);
}

template <std::size_t... I>
void encodeEntries(MorvexState& state, const ScaleTables& tables, std::index_sequence<I...>) {
    (encodeEntry<I>(state, tables), ...); // in table order, which the decay 1 bias relies on
}

constexpr auto kEntries = std::make_index_sequence<std::size(kVoiceParameterMap)>();

void decodeFmBlock(const VoiceBytes& data, int fmElement, FmBlock& block, const ScaleTables& t) {
    const int base = kFmBlockOffset[fmElement];
    const auto& roles = fmBlockRoles();
    for (int i = 0; i < kFmBlockSize; ++i) block[i] = data[base + i];
    for (int i = 0; i < kFmBlockSize; ++i) {
        if (roles[i] == FmByteRole::Inverted) block[i] = to99(t, 127 - block[i]);
        if (roles[i] == FmByteRole::LowOfFlagged && block[i - 1] == 1) block[i] += 128;
    }
}

void encodeFmBlock(const FmBlock& block, int fmElement, VoiceBytes& data, const ScaleTables& t) {
    const int base = kFmBlockOffset[fmElement];
    const auto& roles = fmBlockRoles();
    for (int i = 0; i < kFmBlockSize; ++i) {
        switch (roles[i]) {
        case FmByteRole::Plain:
            encodeValue(Encoding::Plain, data, base + i, block[i], t);
            break;
        case FmByteRole::Inverted:
            encodeValue(Encoding::Inverted, data, base + i, block[i], t);
            break;
        case FmByteRole::LowOfFlagged:
            encodeValue(Encoding::Flag128, data, base + i - 1, block[i], t);
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
    const ScaleTables& tables = BuildScaleTables();
    for (int i = 0; i < kVoiceNameLength; ++i)
        state.voiceName[i] = static_cast<char>(state.voiceData[kVoiceNameOffset + i]);
    decodeEntries(state, tables, kEntries);
    for (int e = 0; e < kFmElementCount; ++e)
        decodeFmBlock(state.voiceData, e, state.fmParams[e], tables);
}

std::vector<int> EncodeVoice(MorvexState& state, const RangeReporter& report) {
    const ScaleTables& tables = BuildScaleTables();
    for (int i = 0; i < kVoiceNameLength; ++i)
        state.voiceData[kVoiceNameOffset + i] = static_cast<std::uint8_t>(state.voiceName[i]);
    encodeEntries(state, tables, kEntries);
    for (int e = 0; e < kFmElementCount; ++e)
        encodeFmBlock(state.fmParams[e], e, state.voiceData, tables);

    std::vector<int> tooLarge;
    std::uint8_t highBits = 0; // nearly every voice is clean: look once before looking closely
    for (int n = kFirstRangeChecked; n <= kLastRangeChecked; ++n) highBits |= state.voiceData[n];
    if (!(highBits & 0x80)) return tooLarge;
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
