#include "SetupValues.h"

#include "midi/Backend.h"

#include <algorithm>
#include <cctype>

namespace pulvex_app {

using pulvex::SettingKey;
using pulvex::SettingsStore;

namespace {

constexpr SettingKey kVelocityKeys[kVelocityCount] = {SettingKey::Velocity1, SettingKey::Velocity2,
                                                      SettingKey::Velocity3, SettingKey::Velocity4};

// The position itself when it is one of `count` items, else no selection.
int listIndex(int position, int count) {
    return position >= 0 && position < count ? position : -1;
}

bool inList(int index, std::size_t count) {
    return index >= 0 && static_cast<std::size_t>(index) < count;
}

bool isBlank(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

bool beginsWithIgnoringCase(const std::string& item, const std::string& prefix) {
    if (prefix.size() > item.size()) return false;
    return std::equal(prefix.begin(), prefix.end(), item.begin(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) ==
               std::tolower(static_cast<unsigned char>(b));
    });
}

} // namespace

MidiPortLists listMidiPorts() {
    midi::Backend& service = midi::service();
    const auto held = service.hold(); // the service starts once for both lists
    return {midi::namesOf(service.ports(midi::Direction::Input)),
            midi::namesOf(service.ports(midi::Direction::Output))};
}

int findByPrefix(const std::vector<std::string>& items, const std::string& stored) {
    if (stored.empty()) return -1;
    const auto found = std::find_if(items.begin(), items.end(), [&](const std::string& item) {
        return beginsWithIgnoringCase(item, stored);
    });
    return found == items.end() ? -1 : static_cast<int>(found - items.begin());
}

MidiPageValues loadMidiPage(const SettingsStore& store, const MidiPortLists& ports) {
    MidiPageValues values;
    values.inIndex = findByPrefix(ports.inputs, store.readText(SettingKey::MidiIn));
    values.outIndex = findByPrefix(ports.outputs, store.readText(SettingKey::MidiOut));
    values.channel = listIndex(store.readNumber(SettingKey::Channel), kChannelItems);
    values.deviceNumber = listIndex(store.readNumber(SettingKey::DeviceNumber), kDeviceNumberItems);
    return values;
}

DrumsetPageValues loadDrumsetPage(const SettingsStore& store) {
    constexpr int items = static_cast<int>(kNoteValueItems.size());
    DrumsetPageValues values;
    values.durationIndex =
        listIndex(store.readNumber(SettingKey::Duration) - kNoteCodeOffset, items);
    values.quantizeIndex =
        listIndex(store.readNumber(SettingKey::Quantize) - kNoteCodeOffset, items);
    for (int k = 0; k < kVelocityCount; ++k)
        values.velocities[k] = store.readNumber(kVelocityKeys[k]);
    return values;
}

PatchBayPageValues loadPatchBayPage(const SettingsStore& store) {
    PatchBayPageValues values;
    values.channel = listIndex(store.readNumber(SettingKey::PatchBayChannel), kChannelItems);
    values.program = store.readNumber(SettingKey::ProgramChange);
    values.send = store.readNumber(SettingKey::SendProgramChange) != 0;
    values.pause = store.readNumber(SettingKey::ProgramChangePause);
    return values;
}

files::FileError storeMidiPage(SettingsStore& store, const MidiPageValues& values,
                               const MidiPortLists& ports) {
    pulvex::SettingValues stored;
    if (inList(values.inIndex, ports.inputs.size()))
        stored.emplace_back(SettingKey::MidiIn, ports.inputs[values.inIndex]);
    if (inList(values.outIndex, ports.outputs.size()))
        stored.emplace_back(SettingKey::MidiOut, ports.outputs[values.outIndex]);
    if (inList(values.channel, kChannelItems))
        stored.emplace_back(SettingKey::Channel, std::to_string(values.channel));
    if (inList(values.deviceNumber, kDeviceNumberItems))
        stored.emplace_back(SettingKey::DeviceNumber, std::to_string(values.deviceNumber));
    return store.write(stored);
}

files::FileError storeDrumsetPage(SettingsStore& store, const DrumsetPageValues& values) {
    pulvex::SettingValues stored;
    if (inList(values.durationIndex, kNoteValueItems.size()))
        stored.emplace_back(SettingKey::Duration,
                            std::to_string(values.durationIndex + kNoteCodeOffset));
    if (inList(values.quantizeIndex, kNoteValueItems.size()))
        stored.emplace_back(SettingKey::Quantize,
                            std::to_string(values.quantizeIndex + kNoteCodeOffset));
    for (int k = 0; k < kVelocityCount; ++k)
        stored.emplace_back(kVelocityKeys[k], std::to_string(values.velocities[k]));
    return store.write(stored);
}

files::FileError storePatchBayPage(SettingsStore& store, const PatchBayPageValues& values) {
    pulvex::SettingValues stored;
    if (inList(values.channel, kChannelItems))
        stored.emplace_back(SettingKey::PatchBayChannel, std::to_string(values.channel));
    stored.emplace_back(SettingKey::ProgramChange, std::to_string(values.program));
    stored.emplace_back(SettingKey::SendProgramChange, values.send ? "1" : "0");
    stored.emplace_back(SettingKey::ProgramChangePause, std::to_string(values.pause));
    return store.write(stored);
}

ParsedInteger parseInteger(std::string_view text, int min, int max) {
    ParsedInteger parsed;
    std::size_t at = 0, end = text.size();
    while (at < end && isBlank(text[at])) ++at;
    while (end > at && isBlank(text[end - 1])) --end;
    const bool negative = at < end && text[at] == '-';
    if (at < end && (text[at] == '-' || text[at] == '+')) ++at;
    if (at == end) return parsed;
    // Counted in a wider type and capped, so a long row of digits is out of range, not garbage.
    long long magnitude = 0;
    for (; at < end; ++at) {
        if (!std::isdigit(static_cast<unsigned char>(text[at]))) return parsed;
        magnitude = std::min(magnitude * 10 + (text[at] - '0'), 1LL << 40);
    }
    const long long value = negative ? -magnitude : magnitude;
    if (value < min || value > max) {
        parsed.outcome = ParsedInteger::Outcome::OutOfRange;
        return parsed;
    }
    parsed.outcome = ParsedInteger::Outcome::Valid;
    parsed.value = static_cast<int>(value);
    return parsed;
}

std::string integerMessage(const ParsedInteger& parsed, int min, int max) {
    switch (parsed.outcome) {
    case ParsedInteger::Outcome::Valid:
        return {};
    case ParsedInteger::Outcome::NotInteger:
        return "Please enter an integer.";
    case ParsedInteger::Outcome::OutOfRange:
        break;
    }
    return "Please enter an integer between " + std::to_string(min) + " and " +
           std::to_string(max) + ".";
}

} // namespace pulvex_app
