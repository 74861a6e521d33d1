#include "pulvex/model/DrumMapExport.h"

#include "pulvex/model/KitNotes.h"
#include "pulvex/model/TextDrumMaps.h"
#include "pulvex/model/XmlDrumMaps.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>

namespace pulvex {
namespace {

template <std::string (*contents)(const CPulvexDoc&)>
FileError writeContents(const CPulvexDoc& doc, const std::string& path) {
    return files::writeFileAtomically(path, contents(doc));
}

// The .cfg header names the file it is in.
FileError writeMasterDrum(const CPulvexDoc& doc, const std::string& path) {
    return WriteMasterDrumMap(doc, path, std::filesystem::path(path).filename().string());
}

FileError writeMidnam(const CPulvexDoc& doc, const std::string& path) {
    const NamedKit kit{kitName(doc), KitBank::Preset, 1, doc};
    return files::writeFileAtomically(path, midiNameDocument({kit}, "Pulvex " + kit.name));
}

FileError writeMidnamKits(const std::vector<NamedKit>& kits, const std::string& path) {
    return files::writeFileAtomically(path, midiNameDocument(kits, "Pulvex"));
}

std::string lowerCase(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

} // namespace

int programNumber(KitBank bank, int number) {
    return static_cast<int>(bank) * kKitsInBank + number - 1;
}

const std::vector<DrumMapFormat>& drumMapFormats() {
    static const std::vector<DrumMapFormat> formats = {
        {"cubase", "Cubase Drumset (.drm)...", "drm", "Cubase DrumMap (*.drm)", 0, saveDrmFile,
         nullptr},
        {"kbr", "The*Drum Drumset (.kbr)...", "kbr", "The*Drum DrumMap (*.kbr)", kTheDrumLimit,
         WriteTheDrumMap, nullptr},
        {"cfg", "MasterDrum Drumset (.cfg)...", "cfg", "Master Drum (*.cfg)", kMasterDrumLimit,
         writeMasterDrum, nullptr},
        {"cubase-xml", "Cubase / Nuendo Drum Map, XML (.drm)...", "drm",
         "Cubase XML Drum Map (*.drm)", 0, writeContents<cubaseXmlDrumMap>, nullptr},
        {"midnam", "MIDI Name Document (.midnam)...", "midnam", "MIDI Name Document (*.midnam)", 0,
         writeMidnam, writeMidnamKits},
        {"reaper", "REAPER Note Names (.txt)...", "txt", "REAPER Note Names (*.txt)", 0,
         writeContents<reaperNoteNames>, nullptr},
        {"studio-one", "Studio One Pitch List (.pitchlist)...", "pitchlist",
         "Studio One Pitch List (*.pitchlist)", 0, writeContents<studioOnePitchList>, nullptr},
        {"musescore", "MuseScore Drumset (.drm)...", "drm", "MuseScore Drumset (*.drm)", 0,
         writeContents<museScoreDrumset>, nullptr},
        {"ins", "Cakewalk / Qtractor Instrument (.ins)...", "ins", "Instrument Definitions (*.ins)",
         0, writeContents<cakewalkInstrument>, nullptr},
    };
    return formats;
}

const DrumMapFormat* findDrumMapFormat(std::string_view name) {
    for (const DrumMapFormat& format : drumMapFormats())
        if (name == format.name) return &format;
    return nullptr;
}

std::string drumMapFormatNames() {
    std::string names;
    for (const DrumMapFormat& format : drumMapFormats())
        names += (names.empty() ? "" : ", ") + std::string(format.name);
    return names;
}

std::string formatTitle(const DrumMapFormat& format) {
    std::string title = format.label;
    while (!title.empty() && title.back() == '.') title.pop_back();
    return title;
}

std::string kitLabel(const NamedKit& kit) {
    char place[32];
    std::snprintf(place, sizeof place, "%s-%02d", kitBankName(kit.bank), kit.number);
    return kit.name.empty() ? place : place + (" " + kit.name);
}

std::string kitFileStem(const NamedKit& kit) {
    std::string stem = kitLabel(kit);
    for (char& c : stem)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F ||
            std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos)
            c = '_';
    // Windows drops dots and blanks at the end of a name; the label begins with letters.
    while (stem.back() == '.' || stem.back() == ' ') stem.pop_back();
    return stem;
}

FileError writeKitFiles(const DrumMapFormat& format, const std::vector<NamedKit>& kits,
                        const std::string& folder) {
    for (const NamedKit& kit : kits) {
        CPulvexDoc doc = kit.doc;
        if (!kit.name.empty()) doc.title = kit.name;
        const std::filesystem::path path =
            std::filesystem::path(folder) / (kitFileStem(kit) + "." + format.suffix);
        if (FileError error = format.write(doc, path.string())) return error;
    }
    return std::nullopt;
}

std::vector<const DrumMapFormat*> formatsForSavedFile(const DrumMapFormat& offered,
                                                      std::string_view chosenFilter,
                                                      std::string_view path) {
    for (const DrumMapFormat& format : drumMapFormats())
        if (chosenFilter == format.filter) return {&format};

    const std::string extension = std::filesystem::path(path).extension().string();
    const std::string suffix = lowerCase(extension.empty() ? "" : extension.substr(1));
    if (suffix.empty() || suffix == offered.suffix) return {&offered};
    std::vector<const DrumMapFormat*> matching;
    for (const DrumMapFormat& format : drumMapFormats())
        if (suffix == format.suffix) matching.push_back(&format);
    if (matching.empty()) return {&offered};
    return matching;
}

} // namespace pulvex
