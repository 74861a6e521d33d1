#pragma once
// The kit as the note-name formats of sequencers see it: one name per input note.

#include "pulvex/model/PulvexDoc.h"

#include <string>
#include <vector>

namespace pulvex {

struct KitNote {
    int note;         // the key's input note
    int outNote;      // its output note; the input note when the output is "Off"
    int channel;      // 0..15
    std::string name; // UTF-8, never empty
};

// The keys that play a note ("Off" keys are left out), in key order. Where two keys share an input
// note, the first one names it: a note has one name in every format.
std::vector<KitNote> kitNotes(const CPulvexDoc& doc);

// A key's name for other programs: the trimmed name read as Latin-1 (the 8-bit text of the binary
// drum map) in UTF-8, control characters as blanks; the note's name ("C1") when it is blank.
std::string exportedName(const CDrumSet& key);

// The kit's name: the title without its file extension; "Pulvex Kit" when that is empty.
std::string kitName(const CPulvexDoc& doc);

// The text with control characters as blanks, so that it fits on one line of a text file and in
// XML.
std::string withoutControls(std::string text);

} // namespace pulvex
