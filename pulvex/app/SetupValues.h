#pragma once
// What the three setup pages show and store, without any window: the values behind each page, how
// they come from the settings and go back, the choice of a stored port in a list, and the reading
// of a number typed into an edit field. The pages only move these values into and out of controls.

#include "pulvex/model/Settings.h"

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace pulvex_app {

// The items of the Quantize and Duration lists; item i is stored as code i + kNoteCodeOffset.
inline constexpr std::array<std::string_view, 22> kNoteValueItems = {
    "Off", "64T", "64", "64.", "32T", "32", "32.", "16T", "16", "16.", "8T",
    "8",   "8.",  "4T", "4",   "4.",  "2T", "2",   "2.",  "1T", "1",   "1."};
inline constexpr int kNoteCodeOffset = 2;
inline constexpr int kChannelItems = 16;      // "1".."16"
inline constexpr int kDeviceNumberItems = 16; // "0".."15"
inline constexpr int kVelocityCount = 4;

// The product names of the MIDI ports, as Wirebox lists them when it opens a port by name.
struct MidiPortLists {
    std::vector<std::string> inputs, outputs;
};
using PortLister = std::function<MidiPortLists()>;
MidiPortLists listMidiPorts();

// The first item that begins with `stored`, letters compared without regard to case, or -1; an
// empty `stored` selects nothing. So a stored name may be a prefix of the device's full name.
int findByPrefix(const std::vector<std::string>& items, const std::string& stored);

// A list position of a page, or -1 for no selection (a stored value outside the list).
struct MidiPageValues {
    int inIndex = -1;
    int outIndex = -1;
    int deviceNumber = -1;
    int channel = -1;
};

struct DrumsetPageValues {
    int quantizeIndex = -1;
    int durationIndex = -1;
    std::array<int, kVelocityCount> velocities{};
};

struct PatchBayPageValues {
    int channel = -1;
    int program = 0;
    bool send = false;
    int pause = 0; // ms
};

MidiPageValues loadMidiPage(const pulvex::SettingsStore& store, const MidiPortLists& ports);
DrumsetPageValues loadDrumsetPage(const pulvex::SettingsStore& store);
PatchBayPageValues loadPatchBayPage(const pulvex::SettingsStore& store);

// A list without a selection leaves its setting as it was: writing -1 (or code 1) would put a
// value into the profile that no reader expects. Each page is one write of the profile; the
// reason, naming the file, when it cannot be written.
files::FileError storeMidiPage(pulvex::SettingsStore& store, const MidiPageValues& values,
                               const MidiPortLists& ports);
files::FileError storeDrumsetPage(pulvex::SettingsStore& store, const DrumsetPageValues& values);
files::FileError storePatchBayPage(pulvex::SettingsStore& store, const PatchBayPageValues& values);

// The text of an edit field read as an integer: optional blanks, an optional sign, digits,
// optional blanks. Anything else is not an integer; an integer outside min..max is out of range.
struct ParsedInteger {
    enum class Outcome { Valid, NotInteger, OutOfRange };
    Outcome outcome = Outcome::NotInteger;
    int value = 0;
};
ParsedInteger parseInteger(std::string_view text, int min, int max);

// The message for a refused field: "Please enter an integer." or
// "Please enter an integer between <min> and <max>.", empty for a valid one.
std::string integerMessage(const ParsedInteger& parsed, int min, int max);

} // namespace pulvex_app
