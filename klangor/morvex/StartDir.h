#pragma once
// Where Klangor finds its data files (initial.syx, morvex.lst, morvex.dev, the page pictures).

#include "morvex/MorvexState.h"
#include "morvex/Report.h"

#include <string>

namespace morvex {

inline constexpr const char* kInitialVoiceName = "initial.syx";
inline constexpr const char* kDeviceFileName = "morvex.dev";

// The current directory when it holds initial.syx, so a user's own data folder wins; otherwise the
// installed data folder (share/klangor beside the program's bin folder, or the program's own
// folder), so the program also works when started from a menu or another directory.
std::string findStartDir();

// The folder of the running program, or empty when it cannot be told.
std::string executableDir();

// Reads MidiDevice from StartDir/morvex.dev: the first number in the file, its low byte. A missing
// file gives a warning ("File \"morvex.dev\" not found!") and MidiDevice keeps its value.
// The file may name the port instead (its first line, e.g. "Morvex Emulator In:MIDI In"), since
// port numbers change as other programs come and go. The name goes to *portName (cleared when the
// file holds a number) and MidiDevice becomes the port's number if it is listed now. Without
// portName an unlisted name is reported.
Status ReadDeviceFile(MorvexState& state, std::string* portName = nullptr);

} // namespace morvex
