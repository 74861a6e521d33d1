#include "morvex/ParameterMap.h"

namespace morvex {
namespace {

// clang-format off
constexpr std::array<FmByteRole, kFmBlockSize> kFmRoles = {
    FmByteRole::ToneFeedback, FmByteRole::Plain,        FmByteRole::Plain,    FmByteRole::ToneLevel,
    FmByteRole::Plain,        FmByteRole::FlagOfNext,   FmByteRole::LowOfFlagged,
    FmByteRole::Plain,        FmByteRole::Plain,        FmByteRole::Plain,    FmByteRole::Plain,
    FmByteRole::Plain,        FmByteRole::Plain,
    FmByteRole::Inverted,     FmByteRole::Inverted,     FmByteRole::Inverted, FmByteRole::Inverted,
    FmByteRole::Plain,        FmByteRole::Plain,        FmByteRole::ElementVolume,
    FmByteRole::Plain,
};
// clang-format on

// The FM block's tone feedback, tone level and volume bytes are the element values of the table.
static_assert(kFmBlockOffset[0] + 0 == 62 && kFmBlockOffset[1] + 3 == 139);
static_assert(kFmBlockOffset[0] + 19 == 81 && kFmBlockOffset[1] + 19 == 155);

} // namespace

std::span<const ParameterDescriptor> voiceParameterMap() {
    return kVoiceParameterMap;
}

const std::array<FmByteRole, kFmBlockSize>& fmBlockRoles() {
    return kFmRoles;
}

ValueRange fmBlockRange(int index) {
    switch (kFmRoles.at(static_cast<std::size_t>(index))) {
    case FmByteRole::Inverted:
        return {0, 99};
    case FmByteRole::FlagOfNext:
        return {0, 1};
    case FmByteRole::LowOfFlagged:
        return {0, 255};
    case FmByteRole::Plain:
    case FmByteRole::ToneFeedback:
    case FmByteRole::ToneLevel:
    case FmByteRole::ElementVolume:
        break;
    }
    return {0, 127};
}

} // namespace morvex
