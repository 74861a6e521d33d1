#pragma once
// The real MIDI services, through RtMidi.

#include "midi/Backend.h"

namespace midi {

Backend& rtMidiService();

} // namespace midi
