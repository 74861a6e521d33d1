#pragma once
// The XML drum maps of today's sequencers and notation programs, as file contents. Each names the
// kit's notes (KitNotes.h); all are UTF-8 and written with QXmlStreamWriter, which escapes names.

#include "pulvex/model/DrumMapExport.h"

#include <string>
#include <vector>

namespace pulvex {

// Cubase / Nuendo: <DrumMap> with 128 slots, slot = input note; unused slots are named "---". The
// kit's notes come first in the row order, in key order.
std::string cubaseXmlDrumMap(const CPulvexDoc& doc);

// MIDI Name Document (MIDINameDocument10.dtd) of the kits, one patch each (programNumber) with its
// note name list; `model` names the device, as programs list it.
std::string midiNameDocument(const std::vector<NamedKit>& kits, const std::string& model);

// Studio One pitch list.
std::string studioOnePitchList(const CPulvexDoc& doc);

// MuseScore drumset: one <Drum> per note, placed on the staff by its General MIDI instrument.
std::string museScoreDrumset(const CPulvexDoc& doc);

} // namespace pulvex
