#include "pulvex/model/DrumSet.h"
#include "pulvex/model/PulvexDoc.h"
#include "pulvex/model/Settings.h"
#include "pulvex/model/TextRules.h"
#include "pulvex/model/WaveNameTable.h"

#include "testing/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <vector>

using namespace pulvex;

namespace {

using Bytes = std::array<std::uint8_t, kDrumSetSize>;

Bytes withStars(std::initializer_list<std::uint8_t> head) {
    Bytes bytes;
    bytes.fill('*');
    std::copy(head.begin(), head.end(), bytes.begin());
    return bytes;
}

TEST(SettingsStore, DefaultsWithoutAFile) {
    testing_support::TempDir dir;
    const SettingsStore settings(dir.file("Pulvex.ini"));
    for (const SettingInfo& info : settingTable()) {
        if (info.isText)
            EXPECT_EQ(settings.readText(info.key), "") << info.name;
        else
            EXPECT_EQ(settings.readNumber(info.key), info.defaultNumber) << info.name;
    }
    ASSERT_NE(findSetting("Velocity 4"), nullptr);
    EXPECT_EQ(findSetting("Velocity 4")->key, SettingKey::Velocity4);
    EXPECT_EQ(findSetting("velocity 4"), nullptr);
}

// Two stores on one file: what one writes, the other reads at once, even after it read before.
TEST(SettingsStore, EveryReadGoesToTheFile) {
    testing_support::TempDir dir;
    SettingsStore writer(dir.file("sub/Pulvex.ini"));
    const SettingsStore reader(dir.file("sub/Pulvex.ini"));
    EXPECT_EQ(reader.readNumber(SettingKey::Channel), 0);
    ASSERT_EQ(writer.writeNumber(SettingKey::Channel, 9), std::nullopt);
    ASSERT_EQ(writer.writeText(SettingKey::MidiOut, "Port, 2"), std::nullopt);
    EXPECT_EQ(reader.readNumber(SettingKey::Channel), 9);
    EXPECT_EQ(reader.readText(SettingKey::MidiOut), "Port, 2");
    ASSERT_EQ(writer.writeNumber(SettingKey::Channel, 3), std::nullopt);
    EXPECT_EQ(reader.readNumber(SettingKey::Channel), 3);
}

TEST(SettingsStore, BadValuesAndUnwritableFiles) {
    testing_support::TempDir dir;
    SettingsStore settings(dir.file("Pulvex.ini"));
    ASSERT_EQ(settings.writeText(SettingKey::Velocity1, "loud"), std::nullopt);
    EXPECT_EQ(settings.readNumber(SettingKey::Velocity1), 70);

    std::ofstream(dir.file("plain")) << "not a folder";
    SettingsStore blocked(dir.file("plain/Pulvex.ini"));
    EXPECT_EQ(blocked.writeNumber(SettingKey::Channel, 1),
              "Cannot write \"" + dir.file("plain/Pulvex.ini") +
                  "\": a part of the path is not a folder");
}

TEST(SettingsStore, EnvironmentChoosesTheFile) {
    testing_support::TempDir dir;
    const char* old = std::getenv("PULVEX_INI");
    const std::optional<std::string> saved = old ? std::optional<std::string>(old) : std::nullopt;
    setenv("PULVEX_INI", dir.file("chosen.ini").c_str(), 1);
    EXPECT_EQ(SettingsStore().path(), dir.file("chosen.ini"));
    setenv("PULVEX_INI", "", 1);
    EXPECT_TRUE(SettingsStore().path().ends_with("/pulvex/Pulvex.ini"));
    if (saved)
        setenv("PULVEX_INI", saved->c_str(), 1);
    else
        unsetenv("PULVEX_INI");
}

TEST(DrumSetKey, ResetToDefaults) {
    testing_support::TempDir dir;
    SettingsStore settings(dir.file("Pulvex.ini"));
    CDrumSet key;
    key.ResetToDefaults(settings);
    EXPECT_EQ(key.Serialize(), withStars({0, 0, 127, 2, 2, 120, 70, 90, 110, 127, 15, 0}));

    // Only the low byte of each setting fits the map.
    settings.writeNumber(SettingKey::Channel, 5);
    settings.writeNumber(SettingKey::Duration, 300);
    settings.writeNumber(SettingKey::Velocity4, -1);
    settings.writeNumber(SettingKey::Velocity2, 1);
    key.ResetToDefaults(settings);
    EXPECT_EQ(key.Serialize(), withStars({0, 5, 127, 44, 2, 0xFF, 70, 1, 110, 127, 15, 0}));
}

TEST(DrumSetKey, SoundNameAndBytes) {
    CDrumSet key;
    key.SetSound("bdDR Kikin and more", 40);
    EXPECT_EQ(key.GetName(), "bdDR Kikin a");
    EXPECT_EQ(key.inNote, 40);
    EXPECT_EQ(key.outNote, 40);
    key.SetSound("  sd  ", 41);
    EXPECT_EQ(std::string(key.name.data(), 12), "  sd        ");
    EXPECT_EQ(key.GetName(), "sd");
    key.name.fill('\0');
    EXPECT_EQ(key.GetName(), "");

    Bytes bytes;
    for (int n = 0; n < kDrumSetSize; ++n) bytes[n] = static_cast<std::uint8_t>(200 + n);
    key.Serialize(bytes);
    EXPECT_EQ(key.level4, 205);
    EXPECT_EQ(key.Serialize(), bytes);
}

TEST(TextRules, TrimBlanks) {
    EXPECT_EQ(TrimBlanks(std::string("\x80\x1f Kick 1\t\xff\0\n", 13)), "Kick 1");
    EXPECT_EQ(TrimBlanks(std::string(" \0\x7f!\x90", 5)), "\x7f!");
    EXPECT_EQ(TrimBlanks(std::string("\0 \xa0\x01", 4)), "");
    EXPECT_EQ(TrimBlanks(""), "");
}

TEST(TextRules, KitNamesNotesAndCodes) {
    EXPECT_EQ(SanitizeKitName("Rock Kit"), "Rock_Kit");
    EXPECT_EQ(SanitizeKitName("a-\xc3\xa9Z9"), "a___Z9");

    EXPECT_EQ(NoteName(127), "Off");
    EXPECT_EQ(NoteName(24), "C0");
    EXPECT_EQ(NoteName(35), "B0");
    EXPECT_EQ(NoteName(36), "C1");
    EXPECT_EQ(NoteName(61), "C#3");
    EXPECT_EQ(NoteName(84), "C5");
    EXPECT_EQ(NoteName(23), "B0"); // truncating division, not floor
    EXPECT_EQ(NoteName(0), "C-2");
    for (int note = -300; note <= 300; ++note) EXPECT_FALSE(NoteName(note).empty()) << note;

    EXPECT_EQ(CodeName(2), "Off");
    EXPECT_EQ(CodeName(9), "16T");
    EXPECT_EQ(CodeName(14), "8.");
    EXPECT_EQ(CodeName(23), "1.");
    EXPECT_EQ(CodeName(1), "");
    EXPECT_EQ(CodeName(24), "");
}

TEST(WaveNames, ListShape) {
    const std::span<const char> list = waveNameList();
    EXPECT_EQ(std::count(list.begin(), list.end(), '\0'), 769);
    EXPECT_EQ(list.back(), '\0');
    // 3854 name characters and 769 NULs. The module's own figure for the list is one byte less;
    // the names are what users see in their drum maps, so the names are kept as they are.
    EXPECT_EQ(list.size(), 4623u);

    WaveNameTable names;
    names.Load();
    const int filled[] = {102, 108, 107, 65, 67, 51};
    for (int bank : {0, 1, 2, 3, 4, 5, 7, 8, 9, 10, 11, 12}) {
        const int first = bank * kBankSize;
        int count = 0;
        while (count < kBankSize && !names.Name(first + count).empty()) ++count;
        EXPECT_EQ(count, filled[bank % 7]) << bank;
        for (int j = count; j < kBankSize; ++j) EXPECT_EQ(names.Name(first + j), "") << bank;
    }
}

TEST(WaveNames, Lookup) {
    WaveNameTable names;
    names.SetName(5, "stale");
    names.namesRetrieved = true;
    names.Load();
    EXPECT_FALSE(names.namesRetrieved);
    EXPECT_EQ(names.Name(5), "DR Danc3");
    EXPECT_EQ(names.Name(0), "DR Kikin");
    EXPECT_EQ(names.Name(896), "DR Kikin");
    EXPECT_EQ(names.Name(101), "FX Delay");
    EXPECT_EQ(names.Name(102), "");
    EXPECT_EQ(names.Name(640 + 50), "BA 30");
    EXPECT_EQ(names.Name(896 + 640 + 50), "BA 30");
    EXPECT_EQ(names.Name(kInternalVoiceSlot), "");
    names.SetName(kInternalVoiceSlot, "Internal1");
    EXPECT_EQ(names.Name(kInternalVoiceSlot), "Internal");
    names.SetName(-1, "x");
    names.SetName(kWaveNameSlots, "x");
    EXPECT_EQ(names.Name(-1), "");
    EXPECT_EQ(names.Name(kWaveNameSlots), "");

    EXPECT_EQ(CategoryPrefix(0), "bd");
    EXPECT_EQ(CategoryPrefix(7), "bd");
    EXPECT_EQ(CategoryPrefix(20), "s1");
    EXPECT_EQ(CategoryPrefix(23), "Off");
    EXPECT_EQ(CategoryPrefix(24), "");
    EXPECT_EQ(CategoryPrefix(-1), "");
}

class KitLoad : public ::testing::Test {
protected:
    KitLoad() {
        names.Load();
        doc.onChanged = [this] { ++changes; };
        cleared.ResetToDefaults(settings);
        for (int k = 0; k < 49; ++k) setEntry(k, 0x0B, 0xFF); // silent unless a test says so
    }
    void setEntry(int k, std::uint8_t hi, std::uint8_t lo) {
        block[kKitEntriesOffset + 3 * k] = hi;
        block[kKitEntriesOffset + 3 * k + 1] = lo;
    }
    void setName(std::string_view name) { std::copy(name.begin(), name.end(), block.begin() + 8); }
    bool load() { return doc.LoadKitBlock(block, names, settings); }

    testing_support::TempDir dir;
    SettingsStore settings{dir.file("Pulvex.ini")};
    WaveNameTable names;
    CPulvexDoc doc;
    CDrumSet cleared;
    std::vector<std::uint8_t> block = std::vector<std::uint8_t>(kKitBlockMinimum, 0);
    int changes = 0;
};

TEST_F(KitLoad, EntriesBecomeKeys) {
    EXPECT_FALSE(doc.HasKit());
    setEntry(0, 0xF0, 0x00); // the high nibble is not part of the sound number
    setEntry(1, 0x03, 0x80); // 896: the repeated ROM bank
    setEntry(2, 0x0A, 0x00); // 2560: wave-card voice, no name fetched
    setEntry(3, 0x0F, 0xFF);
    setEntry(48, 0x00, 0x65); // the last entry, read from the last bytes of the block
    ASSERT_TRUE(load());

    const auto expectKey = [&](int i, const std::string& name, int note) {
        EXPECT_EQ(doc.keys[i].GetName(), name) << i;
        EXPECT_EQ(doc.keys[i].inNote, note) << i;
        EXPECT_EQ(doc.keys[i].outNote, note) << i;
    };
    expectKey(0, "bdDR Kikin", 35);
    expectKey(49, "bdDR Kikin", 84);
    expectKey(1, "bdDR Kikin", 36);
    expectKey(2, "s1", 37);
    expectKey(48, "bdFX Delay", 83);
    EXPECT_EQ(doc.keys[3], cleared);
    EXPECT_EQ(doc.keys[47], cleared);
    for (int i = 50; i < kKeyCount; ++i) EXPECT_EQ(doc.keys[i], cleared) << i;
    EXPECT_TRUE(doc.HasKit());
    EXPECT_TRUE(doc.modified);
    EXPECT_EQ(changes, 1);

    names.SetName(kWavecardVoiceSlot, "WC Kik01");
    ASSERT_TRUE(load());
    EXPECT_EQ(doc.keys[2].GetName(), "s1WC Kik01");
}

TEST_F(KitLoad, KitNameBecomesTitle) {
    const std::pair<std::string, std::string> cases[] = {
        {"  Kit-1 ", "Kit_1"},
        {"Rock Kit", "Rock_Kit"},
        {"ABCDEFGHIJK", "ABCDEFGHI"},
        {std::string("Ro\0ck", 5), "Ro"},
    };
    for (const auto& [stored, title] : cases) {
        std::fill(block.begin() + 8, block.begin() + 20, std::uint8_t{' '});
        setName(stored);
        ASSERT_TRUE(load());
        EXPECT_EQ(doc.title, title) << stored;
    }
}

TEST_F(KitLoad, ShortBlockChangesNothing) {
    doc.ToggleSelected(4);
    doc.SetKeySound(7, "mine", 60);
    const int changesBefore = changes;
    const auto keysBefore = doc.keys;
    block.pop_back();
    EXPECT_FALSE(load());
    EXPECT_EQ(doc.keys, keysBefore);
    EXPECT_EQ(doc.title, "");
    EXPECT_FALSE(doc.modified);
    EXPECT_EQ(changes, changesBefore);
}

TEST_F(KitLoad, SelectionSurvivesALoad) {
    for (int i : {3, 63, 64, -1}) doc.ToggleSelected(i);
    EXPECT_EQ(doc.SelectedCount(), 2);
    ASSERT_TRUE(load());
    EXPECT_TRUE(doc.IsSelected(3));
    EXPECT_TRUE(doc.IsSelected(63));
    EXPECT_FALSE(doc.IsSelected(64));
    doc.ToggleSelected(3);
    EXPECT_FALSE(doc.IsSelected(3));
    doc.SelectAll();
    EXPECT_EQ(doc.SelectedCount(), kKeyCount);
    doc.UnselectAll();
    EXPECT_EQ(doc.SelectedCount(), 0);
}

} // namespace
