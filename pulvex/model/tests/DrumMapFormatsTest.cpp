// The drum map files byte for byte: what sequencers and users' existing files rely on.

#include "pulvex/model/DrumMapFormats.h"
#include "pulvex/model/Settings.h"
#include "testing/TempDir.h"

#include <QFile>
#include <filesystem>
#include <gtest/gtest.h>

using namespace pulvex;
using Bytes = std::vector<std::uint8_t>;

namespace {

// A received-looking kit: key i named "Sound<i>" on note 35 + i, channel 10.
CPulvexDoc namedKit() {
    CPulvexDoc doc;
    for (int i = 0; i < kKeyCount; ++i) {
        doc.SetKeySound(i, "Sound" + std::to_string(i), kFirstKitNote + i);
        doc.keys[i].channel = 9;
    }
    doc.title = "Rock_Kit";
    return doc;
}

void select(CPulvexDoc& doc, int first, int count) {
    for (int i = first; i < first + count; ++i) doc.ToggleSelected(i);
}

Bytes readAll(const std::string& path) {
    QFile file(QString::fromStdString(path));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path;
    const QByteArray content = file.readAll();
    return Bytes(content.begin(), content.end());
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    for (std::size_t at = 0, end; (end = text.find('\n', at)) != std::string::npos; at = end + 1)
        out.push_back(text.substr(at, end - at));
    return out;
}

} // namespace

TEST(CubaseDrumMap, StoresKeysFromTheHighestWithHeaderAndTrailer) {
    const CPulvexDoc doc = namedKit();
    const Bytes drm = storeDrm(doc);
    ASSERT_EQ(drm.size(), 1630u);
    EXPECT_EQ(Bytes(drm.begin(), drm.begin() + 10), (Bytes{'D', '1', '0', '1', 0, 1, 0, 0, 6, 0}));
    const auto key63 = doc.keys[63].Serialize();
    const auto key0 = doc.keys[0].Serialize();
    EXPECT_TRUE(std::equal(key63.begin(), key63.end(), drm.begin() + 10));
    EXPECT_TRUE(std::equal(key0.begin(), key0.end(), drm.begin() + 1522));
    const Bytes trailer(drm.begin() + 1546, drm.end());
    EXPECT_EQ(Bytes(trailer.begin(), trailer.begin() + 9),
              (Bytes{'D', '2', '0', '0', 0, 1, 0, 0, 0}));
    for (int i = 0; i < 64; ++i) EXPECT_EQ(trailer[9 + i], 64 - i);
    EXPECT_EQ(Bytes(trailer.begin() + 73, trailer.end()),
              (Bytes{0, 'D', '0', '0', '0', 0, 0, 0, 0, 0, 0}));
}

TEST(CubaseDrumMap, RoundTripClearsTheSelectionAndIgnoresForeignHeaderBytes) {
    CPulvexDoc doc = namedKit();
    Bytes drm = storeDrm(doc);
    drm[0] = 'X';     // another program's header...
    drm[1600] = 0x55; // ...and trailer
    CPulvexDoc loaded;
    loaded.ToggleSelected(3);
    ASSERT_TRUE(loadDrm(loaded, drm));
    EXPECT_EQ(loaded.keys, doc.keys);
    EXPECT_EQ(loaded.SelectedCount(), 0);
}

TEST(CubaseDrumMap, ATooShortFileFailsAndLeavesTheDocument) {
    testing_support::TempDir dir;
    const CPulvexDoc kit = namedKit();
    Bytes drm = storeDrm(kit);
    drm.resize(1545); // one byte short of the 64 records
    ASSERT_FALSE(files::writeFileAtomically(dir.file("short.drm"), drm));

    CPulvexDoc doc = namedKit();
    doc.ToggleSelected(5);
    doc.keys[0].SetSound("Keep me", 40);
    const CPulvexDoc before = doc;
    const std::pair<const char*, std::string> failures[] = {
        {"short.drm", "is too short for a drum map (1545 bytes)"},
        {"missing.drm", "the file does not exist"},
    };
    for (const auto& [name, reason] : failures) {
        const FileError error = openDrmFile(doc, dir.file(name));
        ASSERT_TRUE(error) << name;
        EXPECT_EQ(error->rfind(std::string(kFailedToOpen) + "\n\n", 0), 0u) << *error;
        EXPECT_NE(error->find(dir.file(name)), std::string::npos) << *error;
        EXPECT_NE(error->find(reason), std::string::npos) << *error;
    }
    EXPECT_EQ(doc.keys, before.keys);
    EXPECT_EQ(doc.selected, before.selected);

    Bytes enough = storeDrm(kit);
    enough.resize(1546); // the records are all there; the trailer is not needed
    ASSERT_FALSE(files::writeFileAtomically(dir.file("enough.drm"), enough));
    EXPECT_FALSE(openDrmFile(doc, dir.file("enough.drm")));
    EXPECT_EQ(doc.keys, kit.keys);
}

TEST(CubaseDrumMap, AKeyWithoutSoundHasTheDefaultBytes) {
    testing_support::TempDir dir;
    SettingsStore settings(dir.file("Pulvex.ini")); // nothing stored: every default
    CPulvexDoc doc;
    doc.ResetAllKeys(settings);
    const Bytes drm = storeDrm(doc);
    const Bytes expected = {0x00, 0x00, 0x7F, 0x02, 0x02, 0x78, 0x46, 0x5A, 0x6E, 0x7F, 0x0F, 0x00,
                            '*',  '*',  '*',  '*',  '*',  '*',  '*',  '*',  '*',  '*',  '*',  '*'};
    EXPECT_EQ(Bytes(drm.begin() + 10, drm.begin() + 34), expected);
}

TEST(TheDrumMap, SelectedKeysThenFillers) {
    CPulvexDoc doc = namedKit();
    doc.SetKeySound(2, "LongName10", 37); // ten characters: cut to nine
    doc.ToggleSelected(2);
    const Bytes kbr = theDrumMap(doc);
    ASSERT_EQ(kbr.size(), 300u);
    EXPECT_EQ(Bytes(kbr.begin(), kbr.begin() + 12),
              (Bytes{'L', 'o', 'n', 'g', 'N', 'a', 'm', 'e', '1', 0, 37, 0}));
    for (int e = 1; e < 25; ++e) {
        const Bytes entry(kbr.begin() + 12 * e, kbr.begin() + 12 * e + 12);
        EXPECT_EQ(entry, (Bytes{'-', ' ', 'e', 'm', 't', 'p', 'y', ' ', '-', 0, 24, 0})) << e;
    }

    CPulvexDoc many = namedKit();
    select(many, 0, 30);
    const Bytes full = theDrumMap(many);
    ASSERT_EQ(full.size(), 300u);
    EXPECT_EQ(full[12 * 24 + 10], 35 + 24); // the 25th selected key, no filler
}

TEST(MasterDrumMap, HeaderKeyLinesAndFillers) {
    CPulvexDoc doc = namedKit();
    doc.SetKeySound(0, "bdDR Kikin", 35); // ten characters are written whole
    doc.keys[0].channel = 9;
    doc.ToggleSelected(0);
    const auto text = lines(masterDrumMap(doc, "kit.cfg"));
    ASSERT_EQ(text.size(), 17u);
    EXPECT_EQ(text[0], "\"Pulvex Drum Kit: kit.cfg\"");
    EXPECT_EQ(text[1], "\"bdDR Kikin\", 35, 10, 1 , 20 , 35 , 25 , 4");
    for (int i = 2; i < 17; ++i) EXPECT_EQ(text[i], "\"- empty -\", 24, 0, 1 , 20 , 35 , 25 , 4");
    EXPECT_EQ(masterDrumMap(doc, "kit.cfg").find('\r'), std::string::npos);

    CPulvexDoc many = namedKit();
    select(many, 10, 17);
    const auto full = lines(masterDrumMap(many, "x.cfg"));
    ASSERT_EQ(full.size(), 17u);
    EXPECT_EQ(full[16], "\"Sound25\", 60, 10, 1 , 20 , 35 , 25 , 4");
}

TEST(DrumMapFiles, WritesAreAtomicAndNamesAreProposed) {
    testing_support::TempDir dir;
    CPulvexDoc doc = namedKit();
    doc.ToggleSelected(0);
    ASSERT_FALSE(WriteTheDrumMap(doc, dir.file("kit.kbr")));
    EXPECT_EQ(readAll(dir.file("kit.kbr")).size(), 300u);
    ASSERT_FALSE(WriteMasterDrumMap(doc, dir.file("kit.cfg"), "kit.cfg"));

    // A write that cannot succeed reports it and leaves the earlier file whole.
    const Bytes before = readAll(dir.file("kit.kbr"));
    std::filesystem::create_directory(dir.file("folder"));
    EXPECT_TRUE(WriteTheDrumMap(doc, dir.file("folder")));
    EXPECT_TRUE(saveDrmFile(doc, dir.file("no/such/folder/kit.drm")));
    EXPECT_EQ(readAll(dir.file("kit.kbr")), before);

    EXPECT_EQ(proposedFileName("Kit1.drm"), "Kit1");
    EXPECT_EQ(proposedFileName("Rock_Kit"), "Rock_Kit");
    EXPECT_EQ(proposedFileName("a.b.c"), "a.b");
    EXPECT_EQ(proposedFileName(".drm"), ".drm");
}
