#pragma once
// The library's messages, by their identifiers.

namespace wirebox {

enum class StringId {
    NoDevices = 1,
    CannotAllocate = 4,
    ErrorPreparingInput = 5,
    CannotAddInputBuffer = 6,
    InputDriver = 7,
    OutputDriver = 8,
    StartInputDriver = 9,
};

const char* text(StringId id);

} // namespace wirebox
