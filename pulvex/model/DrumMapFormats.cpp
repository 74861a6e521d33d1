#include "pulvex/model/DrumMapFormats.h"

#include "files/BoundedRead.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <iterator>

namespace pulvex {
namespace {

constexpr std::array<std::uint8_t, 10> kDrmHeader = {'D', '1', '0', '1', 0, 1, 0, 0, 6, 0};

constexpr std::array<std::uint8_t, 84> kDrmTrailer = [] {
    std::array<std::uint8_t, 84> t{'D', '2', '0', '0', 0, 1, 0, 0, 0};
    for (int i = 0; i < 64; ++i) t[9 + i] = static_cast<std::uint8_t>(64 - i);
    t[73] = 0;
    const char d000[] = "D000";
    std::copy(d000, d000 + 4, t.begin() + 74);
    return t;
}();
static_assert(kDrmHeader.size() + kKeyCount * kDrumSetSize + kDrmTrailer.size() == kDrmSize);

// The .kbr filler, spelled as the files that users already have spell it.
constexpr char kTheDrumFiller[10] = "- emtpy -";
constexpr int kTheDrumNameLength = 9;
constexpr int kFillerNote = 24;
constexpr const char* kMasterDrumTail = "1 , 20 , 35 , 25 , 4\n";
// A drum map has 1630 bytes; forty times that is no drum map any more, however it was made.
constexpr std::size_t kLargestDrm = 64 * 1024;

// The first `limit` selected keys, in key order.
std::vector<int> selectedKeys(const CPulvexDoc& doc, int limit) {
    std::vector<int> keys;
    for (int i = 0; i < kKeyCount && static_cast<int>(keys.size()) < limit; ++i)
        if (doc.IsSelected(i)) keys.push_back(i);
    return keys;
}

} // namespace

std::vector<std::uint8_t> storeDrm(const CPulvexDoc& doc) {
    std::vector<std::uint8_t> bytes(kDrmHeader.begin(), kDrmHeader.end());
    for (int key = kKeyCount - 1; key >= 0; --key) {
        const auto record = doc.keys[static_cast<std::size_t>(key)].Serialize();
        bytes.insert(bytes.end(), record.begin(), record.end());
    }
    bytes.insert(bytes.end(), kDrmTrailer.begin(), kDrmTrailer.end());
    return bytes;
}

bool loadDrm(CPulvexDoc& doc, std::span<const std::uint8_t> bytes) {
    if (bytes.size() < static_cast<std::size_t>(kDrmRecordsEnd)) return false;
    for (int r = 0; r < kKeyCount; ++r) {
        const auto record =
            bytes.subspan(kDrmHeader.size() + static_cast<std::size_t>(r) * kDrumSetSize)
                .first<kDrumSetSize>();
        doc.keys[static_cast<std::size_t>(kKeyCount - 1 - r)].Serialize(record);
    }
    doc.selected.fill(0);
    return true;
}

FileError saveDrmFile(const CPulvexDoc& doc, const std::string& path) {
    return files::writeFileAtomically(path, doc.Serialize());
}

FileError openDrmFile(CPulvexDoc& doc, const std::string& path) {
    const files::ReadResult file = files::readFileBounded(path, kLargestDrm);
    if (file.error) return std::string(kFailedToOpen) + "\n\n" + *file.error;
    if (!doc.Serialize(file.bytes))
        return std::string(kFailedToOpen) + "\n\n\"" + path + "\" is too short for a drum map (" +
               files::sizeText(file.bytes.size()) + ")";
    doc.changed();
    return std::nullopt;
}

std::vector<std::uint8_t> theDrumMap(const CPulvexDoc& doc) {
    std::vector<std::uint8_t> bytes;
    auto entry = [&](const std::string& name, int note) {
        std::array<std::uint8_t, 12> e{};
        std::copy_n(name.begin(), std::min<std::size_t>(name.size(), kTheDrumNameLength),
                    e.begin());
        e[10] = static_cast<std::uint8_t>(note);
        bytes.insert(bytes.end(), e.begin(), e.end());
    };
    const std::vector<int> keys = selectedKeys(doc, kTheDrumLimit);
    for (int key : keys) {
        const CDrumSet& k = doc.keys[static_cast<std::size_t>(key)];
        entry(k.GetName(), k.inNote);
    }
    for (std::size_t i = keys.size(); i < kTheDrumLimit; ++i)
        entry(std::string(kTheDrumFiller, sizeof kTheDrumFiller - 1), kFillerNote);
    return bytes;
}

std::string masterDrumMap(const CPulvexDoc& doc, const std::string& fileName) {
    std::string text = "\"Pulvex Drum Kit: " + fileName + "\"\n";
    const std::vector<int> keys = selectedKeys(doc, kMasterDrumLimit);
    for (int key : keys) {
        const CDrumSet& k = doc.keys[static_cast<std::size_t>(key)];
        // Appended piece by piece: GCC 12 at -O3 warns (-Wrestrict) on a literal + temporary.
        text += '"';
        text += k.GetName();
        text += "\", " + std::to_string(k.inNote) + ", " + std::to_string(k.channel + 1) + ", " +
                kMasterDrumTail;
    }
    for (std::size_t i = keys.size(); i < kMasterDrumLimit; ++i)
        text += "\"- empty -\", " + std::to_string(kFillerNote) + ", 0, " + kMasterDrumTail;
    return text;
}

FileError WriteTheDrumMap(const CPulvexDoc& doc, const std::string& path) {
    return files::writeFileAtomically(path, theDrumMap(doc));
}

FileError WriteMasterDrumMap(const CPulvexDoc& doc, const std::string& path,
                             const std::string& fileName) {
    return files::writeFileAtomically(path, masterDrumMap(doc, fileName));
}

std::string proposedFileName(const std::string& title) {
    const std::size_t dot = title.rfind('.');
    return dot != std::string::npos && dot > 0 ? title.substr(0, dot) : title;
}

} // namespace pulvex
