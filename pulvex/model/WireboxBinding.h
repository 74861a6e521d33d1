#pragma once
// The seven Wirebox calls that Pulvex makes, as one binding: the program fills it from the library,
// unit tests hand in fakes.

#include "wirebox/Wirebox.h"

#include <cstdint>

namespace pulvex {

struct WireboxBinding {
    std::uint32_t(WIREBOX_CALL* SetTimeOut)(std::uint32_t milliseconds);
    int(WIREBOX_CALL* OpenMidi)(void* owner, int channel, const char* inName, const char* outName);
    int(WIREBOX_CALL* MidiTransmit)(std::uint32_t length, const unsigned char* bytes);
    unsigned char*(WIREBOX_CALL* MidiReceive)(std::uint32_t* length);
    void(WIREBOX_CALL* DiscardMidiMessage)(unsigned char* message);
    int(WIREBOX_CALL* ProgramChange)(int channel, int program);
    int(WIREBOX_CALL* CloseMidi)(void);
};

// The binding to the Wirebox library the program is linked with.
WireboxBinding linkedWirebox();

} // namespace pulvex
