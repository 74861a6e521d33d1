#pragma once
// The kit the drum-map exports are tested and their golden files made with: what trips exporters
// in a few keys.

#include "pulvex/model/DrumMapExport.h"

#include <map>
#include <string>

namespace pulvex_test {

inline pulvex::CPulvexDoc sampleKit() {
    using namespace pulvex;
    CPulvexDoc doc;
    for (CDrumSet& key : doc.keys) { // as a reception leaves the keys without sound
        key.inNote = key.outNote = kNoNote;
        key.channel = 9;
        key.name.fill('*');
    }
    doc.SetKeySound(0, "Kick", 36);
    doc.SetKeySound(1, "Snare <&\">", 38); // escaped in XML
    doc.SetKeySound(2, "Closed Hat", 42);
    doc.SetKeySound(3, "Crash", 49);
    doc.SetKeySound(4, "Twin Kick", 36); // a second key on the kick's note: the kick names it
    doc.SetKeySound(5, "Cowbell", 56);
    doc.keys[5].outNote = 60; // played on another note and channel
    doc.keys[5].channel = 3;
    doc.SetKeySound(6, "Caf\xE9 Bell", 70); // Latin-1 in the binary map
    doc.SetKeySound(7, "Tom\x01High", 48);  // a control character, never valid in XML
    doc.title = "Rock <&\"> Kit.drm";
    doc.ToggleSelected(1);
    doc.ToggleSelected(3);
    return doc;
}

// The note names every format must carry for sampleKit(), in UTF-8.
inline const std::map<int, std::string> kSampleNoteNames = {
    {36, "Kick"},  {38, "Snare <&\">"}, {42, "Closed Hat"},      {48, "Tom High"},
    {49, "Crash"}, {56, "Cowbell"},     {70, "Caf\xC3\xA9 Bell"}};
inline constexpr const char* kSampleKitName = "Rock <&\"> Kit";

// Three kits of the module for the files that hold many; the last has no sound at all.
inline std::vector<pulvex::NamedKit> sampleKits() {
    using namespace pulvex;
    CPulvexDoc silent = sampleKit();
    for (CDrumSet& key : silent.keys) key.inNote = kNoNote;
    return {{"Rock <&\"> Kit", KitBank::Preset, 1, sampleKit()},
            {"Rock <&\"> Kit", KitBank::Internal, 64, sampleKit()},
            {"Silent", KitBank::Card, 2, silent}};
}

} // namespace pulvex_test
