#pragma once
// Klangor's MIDI setup as its settings file keeps it. Ports are stored by name, never by number:
// numbers change as other programs come and go, names do not.

#include "files/AtomicWrite.h"

#include <string>

namespace morvex {

inline constexpr int kFirstDeviceNumber = 1;
inline constexpr int kLastDeviceNumber = 16;
inline constexpr int kLongestPauseMs = 500;

struct MidiSettings {
    std::string outputPort; // empty: none chosen
    std::string inputPort;
    int deviceNumber = kFirstDeviceNumber; // 1..16, as the synthesizer's panel shows it
    int pauseMs = 0;                       // between messages, 0..500
    bool sendWhileEditing = false;
    bool operator==(const MidiSettings&) const = default;
};

// The file named by KLANGOR_INI, else Klangor.ini in the user's config folder (klangor/).
std::string midiSettingsPath();

// Missing keys, and values out of range or unreadable, read as the defaults (a number out of
// range is clamped), so a hand-edited file never stops the program.
MidiSettings readMidiSettings(const std::string& path);
// Writes only Klangor's own keys; other lines of the file stay as they are.
files::FileError writeMidiSettings(const std::string& path, const MidiSettings& settings);

} // namespace morvex
