#pragma once
// Every drum-map format Pulvex writes, in one table: the window's Export as menu, its file dialogs
// and pulvex-cli's --format all come from here.

#include "pulvex/model/DrumMapFormats.h"
#include "pulvex/model/PulvexDoc.h"
#include "pulvex/model/Reception.h"

#include <string>
#include <string_view>
#include <vector>

namespace pulvex {

// One kit with where it lives in the module, for files that hold many kits.
struct NamedKit {
    std::string name;
    KitBank bank;
    int number; // 1..64
    CPulvexDoc doc;
};

// The kit's program number in a multi-kit file: its place among all banks, 64 kits to a bank
// (Preset 0..63, Internal 64..127, Card 128..191). A file of Card kits therefore names programs
// beyond MIDI's 0..127: the number tells the kits apart, it is not sent to the module.
int programNumber(KitBank bank, int number);

struct DrumMapFormat {
    const char* name;   // the CLI's --format
    const char* label;  // the Export as menu text
    const char* suffix; // without dot
    const char* filter; // file dialog filter
    int limit;          // 0: the whole kit; else the selected keys, at most this many
    FileError (*write)(const CPulvexDoc& doc, const std::string& path);
    // Many kits in one file (midnam); null for formats of one kit per file.
    FileError (*writeKits)(const std::vector<NamedKit>& kits, const std::string& path);
};

// In menu order: the document's own format, the two selection formats, then those of today's
// sequencers.
const std::vector<DrumMapFormat>& drumMapFormats();
const DrumMapFormat* findDrumMapFormat(std::string_view name);
// "cubase, kbr, cfg, ...": the names, for messages.
std::string drumMapFormatNames();
// The label without the dots of a menu entry that opens a dialog: "MuseScore Drumset (.drm)".
std::string formatTitle(const DrumMapFormat& format);

// "Preset-01 Kit Name": the kit's bank and number, then its name.
std::string kitLabel(const NamedKit& kit);
// The label made safe for file systems: no "/\:*?\"<>|" or control characters, no dots or
// blanks at the end.
std::string kitFileStem(const NamedKit& kit);

// One file per kit in `folder`, named like "Preset-01 Kit Name.drm" (kitFileStem); each file holds
// the kit under its own name. A format with a limit writes each kit's selected keys. The first
// error stops and is returned; it names the file.
FileError writeKitFiles(const DrumMapFormat& format, const std::vector<NamedKit>& kits,
                        const std::string& folder);

// Which format a save dialog's answer asks for, `offered` being the one the user chose to export:
// the format whose filter was chosen; otherwise (all files) the format the name's suffix belongs
// to, or `offered` when the suffix is its own or nobody's. Several formats share a suffix (.drm):
// when the name has it and `offered` does not, all of them are returned, and the user says which.
std::vector<const DrumMapFormat*> formatsForSavedFile(const DrumMapFormat& offered,
                                                      std::string_view chosenFilter,
                                                      std::string_view path);

} // namespace pulvex
