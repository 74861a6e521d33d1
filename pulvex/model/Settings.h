#pragma once
// Pulvex's thirteen settings, in the section "Settings" of an INI file: the user's config folder,
// or the file that the environment variable PULVEX_INI names. Nothing is cached: every read goes to
// the file, so a change takes effect at the next exchange or the next cleared row. A copy in
// memory serves runs that must not write the file.

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace pulvex {

enum class SettingKey {
    MidiIn,            // "MIDI In", text: product name of the MIDI input
    MidiOut,           // "MIDI Out", text
    Channel,           // "Channel", 0..15
    DeviceNumber,      // "Device Number", 0..15
    Duration,          // "Duration", code 2..23
    Quantize,          // "Quantize", code 2..23
    Velocity1,         // "Velocity 1", 0..127
    Velocity2,         // "Velocity 2"
    Velocity3,         // "Velocity 3"
    Velocity4,         // "Velocity 4"
    PatchBayChannel,   // "Patch Bay Channel", 0..15
    ProgramChange,     // "Program Change", 0..127
    SendProgramChange, // "Send Program Change", 0 or 1
};
inline constexpr int kSettingCount = 13;

struct SettingInfo {
    SettingKey key;
    std::string_view name; // the key in the file
    bool isText;
    int defaultNumber; // for numbers; texts default to empty
};

// All thirteen, in the order above.
const SettingInfo (&settingTable())[kSettingCount];
// The setting with this key name, or null.
const SettingInfo* findSetting(std::string_view name);

class SettingsStore {
public:
    // The file: PULVEX_INI when set, else Pulvex.ini in the user's config folder.
    SettingsStore();
    explicit SettingsStore(std::string iniPath);
    // Every value of `source` as it is now, held in memory: writes change only the copy. For a run
    // that overrides settings without touching the user's file, or any other file.
    static SettingsStore inMemoryCopy(const SettingsStore& source);

    // Empty for a store in memory.
    const std::string& path() const { return path_; }

    int readNumber(SettingKey key) const;       // the default when absent or not a number
    std::string readText(SettingKey key) const; // empty when absent
    // False when the file cannot be written.
    bool writeNumber(SettingKey key, int value);
    bool writeText(SettingKey key, const std::string& value);

private:
    SettingsStore(std::string iniPath,
                  std::optional<std::array<std::string, kSettingCount>> memory);
    std::string storedText(SettingKey key) const;

    std::string path_;
    std::optional<std::array<std::string, kSettingCount>> memory_;
};

} // namespace pulvex
