#pragma once
// The two tables between the pages' 0..99 scale and the synthesizer's 0..127 bytes.

#include <array>
#include <cstdint>

namespace morvex {

struct ScaleTables {
    std::array<std::uint8_t, 128> to99{};  // Scale127To99: entry i = round(i * 99 / 127)
    std::array<std::uint8_t, 100> to127{}; // Scale99To127: entry i = round(i * 127 / 99)
};

// Fills the tables on the first call and returns them.
const ScaleTables& BuildScaleTables();

// Table look-ups that cannot read outside the tables: bytes from a file may be anything, and a
// value typed into a script may be beyond 99. An index below 0 counts as 0, one beyond the table as
// its last entry.
int Scale127To99(int raw);
int Scale99To127(int value);

} // namespace morvex
