#include "pulvex/model/TextDrumMaps.h"

#include "pulvex/model/KitNotes.h"

#include <algorithm>

namespace pulvex {

std::string reaperNoteNames(const CPulvexDoc& doc) {
    std::string text = "# MIDI note/CC name map\n";
    for (const KitNote& note : kitNotes(doc))
        text += std::to_string(note.note) + " " + note.name + "\n";
    return text;
}

std::string cakewalkInstrument(const CPulvexDoc& doc) {
    // Brackets open and close a section name: a kit name keeps none of them.
    std::string kit = kitName(doc);
    std::ranges::replace(kit, '[', '(');
    std::ranges::replace(kit, ']', ')');
    const std::string crlf = "\r\n";

    std::string text = "; Pulvex drum kit" + crlf + crlf + ".Note Names" + crlf + crlf;
    text += "[" + kit + "]" + crlf;
    for (const KitNote& note : kitNotes(doc))
        text += std::to_string(note.note) + "=" + note.name + crlf;
    text += crlf + ".Instrument Definitions" + crlf + crlf;
    text += "[" + kit + "]" + crlf;
    text += "Key[*,0]=" + kit + crlf;
    text += "Drum[*,0]=1" + crlf;
    return text;
}

} // namespace pulvex
