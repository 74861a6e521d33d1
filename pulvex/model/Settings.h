#pragma once
// Pulvex's settings, in the section "Settings" of an INI file: the user's config folder,
// or the file that the environment variable PULVEX_INI names. Nothing is cached: every read goes to
// the file, so a change takes effect at the next exchange or the next cleared row. A write changes
// only its own lines of the file (IniFile.h). A copy in memory serves runs that must not write the
// file.

#include "files/AtomicWrite.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

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
    // "Program Change Pause": ms between the program change and a request, 0..500
    ProgramChangePause,
    LastFolder, // "Last Folder", text: where the window's file dialogs start
};
inline constexpr int kSettingCount = 15;

// A patch bay in front of the module may need time to switch; longer than this is no switch.
inline constexpr int kLongestProgramChangePause = 500;

struct SettingInfo {
    SettingKey key;
    std::string_view name; // the key in the file
    bool isText;
    int defaultNumber; // for numbers; texts default to empty
};

// Values to write together, as the texts the file holds.
using SettingValues = std::vector<std::pair<SettingKey, std::string>>;

// All of them, in the order above.
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
    // The reason, naming the file, when it cannot be written; the file is as it was then.
    files::FileError writeNumber(SettingKey key, int value);
    files::FileError writeText(SettingKey key, const std::string& value);
    // All of them in one write of the file: all or none.
    files::FileError write(const SettingValues& values);

private:
    SettingsStore(std::string iniPath,
                  std::optional<std::array<std::string, kSettingCount>> memory);

    std::string path_;
    std::optional<std::array<std::string, kSettingCount>> memory_;
};

} // namespace pulvex
