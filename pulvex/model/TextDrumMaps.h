#pragma once
// The line-by-line note name files of today's sequencers, as file contents (UTF-8).

#include "pulvex/model/PulvexDoc.h"

#include <string>

namespace pulvex {

// REAPER: "# MIDI note/CC name map", then "<note> <name>" per note, in key order.
std::string reaperNoteNames(const CPulvexDoc& doc);

// Cakewalk / Qtractor instrument definitions: the kit's notes as a note name list, and an
// instrument of that name whose program 0 is a drum kit with these names. Lines end in CR LF, as
// in the files of the Windows programs that read them.
std::string cakewalkInstrument(const CPulvexDoc& doc);

} // namespace pulvex
