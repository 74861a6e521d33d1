#include "pulvex/model/KitNotes.h"

#include "pulvex/model/DrumMapFormats.h"
#include "pulvex/model/TextRules.h"

#include <array>

namespace pulvex {
namespace {

constexpr int kNoteCount = 128;

std::string latin1ToUtf8(const std::string& text) {
    std::string utf8;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            utf8 += c;
        } else {
            utf8 += static_cast<char>(0xC0 | (byte >> 6));
            utf8 += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return utf8;
}

} // namespace

std::string withoutControls(std::string text) {
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
    return text;
}

std::string exportedName(const CDrumSet& key) {
    // GetName trims: the name begins and ends with a printable character.
    const std::string name = withoutControls(latin1ToUtf8(key.GetName()));
    return name.empty() ? NoteName(key.inNote) : name;
}

std::string kitName(const CPulvexDoc& doc) {
    // The title is UTF-8 (a file name, or a received kit's name): only blanks are trimmed.
    const std::string name = withoutControls(proposedFileName(doc.title));
    const std::size_t first = name.find_first_not_of(' ');
    if (first == std::string::npos) return "Pulvex Kit";
    return name.substr(first, name.find_last_not_of(' ') - first + 1);
}

std::vector<KitNote> kitNotes(const CPulvexDoc& doc) {
    std::vector<KitNote> notes;
    std::array<bool, kNoteCount> named{};
    for (const CDrumSet& key : doc.keys) {
        if (key.inNote == kNoNote || key.inNote >= kNoteCount || named[key.inNote]) continue;
        named[key.inNote] = true;
        const int outNote =
            key.outNote == kNoNote || key.outNote >= kNoteCount ? key.inNote : key.outNote;
        notes.push_back({key.inNote, outNote, key.channel & 0x0F, exportedName(key)});
    }
    return notes;
}

} // namespace pulvex
