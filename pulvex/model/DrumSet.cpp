#include "pulvex/model/DrumSet.h"

#include "pulvex/model/Settings.h"
#include "pulvex/model/TextRules.h"

#include <algorithm>

namespace pulvex {

namespace {

// The map holds one byte per field; a setting out of range keeps only its low byte.
std::uint8_t lowByte(const SettingsStore& settings, SettingKey key) {
    return static_cast<std::uint8_t>(settings.readNumber(key) & 0xFF);
}

} // namespace

void CDrumSet::ResetToDefaults(const SettingsStore& settings) {
    fixed0 = 0;
    channel = lowByte(settings, SettingKey::Channel);
    outNote = kNoNote;
    length = lowByte(settings, SettingKey::Duration);
    quantize = lowByte(settings, SettingKey::Quantize);
    level4 = lowByte(settings, SettingKey::Velocity4);
    level1 = lowByte(settings, SettingKey::Velocity1);
    level2 = lowByte(settings, SettingKey::Velocity2);
    level3 = lowByte(settings, SettingKey::Velocity3);
    inNote = kNoNote;
    fixed10 = 15;
    fixed11 = 0;
    name.fill('*');
}

void CDrumSet::SetSound(const std::string& text, int note) {
    name.fill(' ');
    std::copy_n(text.begin(), std::min<std::size_t>(text.size(), name.size()), name.begin());
    inNote = outNote = static_cast<std::uint8_t>(note);
}

std::string CDrumSet::GetName() const {
    return TrimBlanks(std::string_view(name.data(), name.size()));
}

std::array<std::uint8_t, kDrumSetSize> CDrumSet::Serialize() const {
    std::array<std::uint8_t, kDrumSetSize> bytes{fixed0,   channel, outNote, length,
                                                 quantize, level4,  level1,  level2,
                                                 level3,   inNote,  fixed10, fixed11};
    std::copy(name.begin(), name.end(), bytes.begin() + 12);
    return bytes;
}

void CDrumSet::Serialize(std::span<const std::uint8_t, kDrumSetSize> bytes) {
    fixed0 = bytes[0];
    channel = bytes[1];
    outNote = bytes[2];
    length = bytes[3];
    quantize = bytes[4];
    level4 = bytes[5];
    level1 = bytes[6];
    level2 = bytes[7];
    level3 = bytes[8];
    inNote = bytes[9];
    fixed10 = bytes[10];
    fixed11 = bytes[11];
    std::copy(bytes.begin() + 12, bytes.end(), name.begin());
}

} // namespace pulvex
