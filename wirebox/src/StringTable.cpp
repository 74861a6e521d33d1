#include "StringTable.h"

namespace wirebox {

const char* text(StringId id) {
    switch (id) {
    case StringId::NoDevices:
        return "No MIDI devices - check configuration";
    case StringId::CannotAllocate:
        return "Cannot allocate MIDI buffers";
    case StringId::ErrorPreparingInput:
        return "Error preparing MIDI input buffer";
    case StringId::CannotAddInputBuffer:
        return "Cannot add buffer to MIDI input";
    case StringId::InputDriver:
        return "MIDI Input Driver";
    case StringId::OutputDriver:
        return "MIDI Output Driver";
    case StringId::StartInputDriver:
        return "Start Input Driver";
    }
    return "";
}

} // namespace wirebox
