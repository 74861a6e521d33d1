#include "pulvex/model/WireboxBinding.h"

namespace pulvex {

WireboxBinding linkedWirebox() {
    return WireboxBinding{
        .SetTimeOut = &::SetTimeOut,
        .OpenMidi = &::OpenMidi,
        .MidiTransmit = &::MidiTransmit,
        .MidiReceive = &::MidiReceive,
        .DiscardMidiMessage = &::DiscardMidiMessage,
        .ProgramChange = &::ProgramChange,
        .CloseMidi = &::CloseMidi,
    };
}

} // namespace pulvex
