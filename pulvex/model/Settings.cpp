#include "pulvex/model/Settings.h"

#include "files/IniFile.h"

#include <QStandardPaths>
#include <QString>

#include <cstdlib>
#include <utility>

namespace pulvex {

namespace {

constexpr SettingInfo kSettings[kSettingCount] = {
    {SettingKey::MidiIn, "MIDI In", true, 0},
    {SettingKey::MidiOut, "MIDI Out", true, 0},
    {SettingKey::Channel, "Channel", false, 0},
    {SettingKey::DeviceNumber, "Device Number", false, 0},
    {SettingKey::Duration, "Duration", false, 2},
    {SettingKey::Quantize, "Quantize", false, 2},
    {SettingKey::Velocity1, "Velocity 1", false, 70},
    {SettingKey::Velocity2, "Velocity 2", false, 90},
    {SettingKey::Velocity3, "Velocity 3", false, 110},
    {SettingKey::Velocity4, "Velocity 4", false, 120},
    {SettingKey::PatchBayChannel, "Patch Bay Channel", false, 0},
    {SettingKey::ProgramChange, "Program Change", false, 0},
    {SettingKey::SendProgramChange, "Send Program Change", false, 0},
    {SettingKey::ProgramChangePause, "Program Change Pause", false, 0},
    {SettingKey::LastFolder, "Last Folder", true, 0},
};

const SettingInfo& infoOf(SettingKey key) {
    return kSettings[static_cast<int>(key)];
}

constexpr std::string_view kSection = "Settings";

std::string defaultPath() {
    const char* chosen = std::getenv("PULVEX_INI");
    if (chosen != nullptr && *chosen != '\0') return chosen;
    return (QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
            "/pulvex/Pulvex.ini")
        .toStdString();
}

} // namespace

const SettingInfo (&settingTable())[kSettingCount] {
    return kSettings;
}

const SettingInfo* findSetting(std::string_view name) {
    for (const SettingInfo& info : kSettings)
        if (info.name == name) return &info;
    return nullptr;
}

SettingsStore::SettingsStore() : path_(defaultPath()) {}

SettingsStore::SettingsStore(std::string iniPath) : path_(std::move(iniPath)) {}

SettingsStore::SettingsStore(std::string iniPath,
                             std::optional<std::array<std::string, kSettingCount>> memory)
    : path_(std::move(iniPath)), memory_(std::move(memory)) {}

SettingsStore SettingsStore::inMemoryCopy(const SettingsStore& source) {
    std::array<std::string, kSettingCount> values;
    for (const SettingInfo& info : kSettings)
        values[static_cast<std::size_t>(info.key)] = source.readText(info.key);
    return SettingsStore({}, std::move(values));
}

std::string SettingsStore::readText(SettingKey key) const {
    if (memory_) return (*memory_)[static_cast<std::size_t>(key)];
    // An unreadable file reads as an absent one: every setting has its default then.
    return files::readIniFile(path_).text.value(kSection, infoOf(key).name).value_or("");
}

int SettingsStore::readNumber(SettingKey key) const {
    bool ok = false;
    const int number = QString::fromStdString(readText(key)).trimmed().toInt(&ok);
    return ok ? number : infoOf(key).defaultNumber;
}

files::FileError SettingsStore::writeNumber(SettingKey key, int value) {
    return write({{key, std::to_string(value)}});
}

files::FileError SettingsStore::writeText(SettingKey key, const std::string& value) {
    return write({{key, value}});
}

files::FileError SettingsStore::write(const SettingValues& values) {
    if (memory_) {
        for (const auto& [key, value] : values) (*memory_)[static_cast<std::size_t>(key)] = value;
        return std::nullopt;
    }
    return files::editIniFile(path_, [&](files::IniText& text) {
        for (const auto& [key, value] : values) text.setValue(kSection, infoOf(key).name, value);
    });
}

} // namespace pulvex
