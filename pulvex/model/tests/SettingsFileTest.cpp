// The settings file: the INI dialect against Qt's QSettings as the reference (what older builds
// wrote and still read), edits that keep the user's own lines, and failed writes through the real
// settings store.

#include "files/IniFile.h"
#include "pulvex/model/Settings.h"

#include "testing/TempDir.h"
#include "testing/WriteObstacles.h"

#include <gtest/gtest.h>

#include <QSettings>
#include <QStringList>

#include <filesystem>
#include <fstream>

using namespace pulvex;
using namespace files;
namespace fs = std::filesystem;
using testing_support::Obstacle;

namespace {

std::string slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writePlain(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// What QSettings reads there, with a list joined as the settings store joins it. Each call must
// name a file of its own: QSettings caches a file by its path, size and time.
std::optional<std::string> qsettingsValue(const std::string& path, std::string_view section,
                                          std::string_view key) {
    const QSettings settings(QString::fromStdString(path), QSettings::IniFormat);
    const QString name = QString::fromUtf8(section.data(), qsizetype(section.size())) + "/" +
                         QString::fromUtf8(key.data(), qsizetype(key.size()));
    if (!settings.contains(name)) return std::nullopt;
    const QVariant value = settings.value(name);
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(", ").toStdString();
    return value.toString().toStdString();
}

} // namespace

TEST(SettingsFile, TrickyNamesAndValuesTravelBothWaysBetweenQSettingsAndUs) {
    const std::string values[] = {
        "",
        "plain",
        "Port, 2",
        "a,b,c",
        "say \"hi\"",
        "back\\slash",
        "a=b",
        "semi;colon",
        "  lead",
        "trail  ",
        " ",
        "\t tab",
        "Grüße ✓ 😀",
        "@at",
        "@@twice",
        "@String(x)",
        "line\nbreak\r",
        "x\x01"
        "9",
        "\\x41",
        "C:\\Kits\\a.drm",
        "%20",
        std::string("nul\0"
                    "1",
                    5),
    };
    const std::pair<std::string, std::string> names[] = {
        {"Settings", "MIDI In"}, {"Recent File List", "File1"}, {"Ä ✓ 😀", "a=b;c %"}};
    testing_support::TempDir dir;
    int file = 0;
    for (const auto& [section, key] : names) {
        for (const std::string& value : values) {
            SCOPED_TRACE(section + "/" + key + ": [" + value + "]");
            const std::string theirs = dir.file("theirs" + std::to_string(++file) + ".ini");
            QSettings(QString::fromStdString(theirs), QSettings::IniFormat)
                .setValue(QString::fromStdString(section + "/" + key),
                          QString::fromUtf8(value.data(), qsizetype(value.size())));
            EXPECT_EQ(readIniFile(theirs).text.value(section, key), value);

            const std::string ours = dir.file("ours" + std::to_string(file) + ".ini");
            ASSERT_EQ(editIniFile(ours, [&](IniText& text) { text.setValue(section, key, value); }),
                      std::nullopt);
            EXPECT_EQ(qsettingsValue(ours, section, key), value);
        }
    }
}

TEST(SettingsFile, HandEditedFilesReadAsQSettingsReadsThem) {
    const struct {
        std::string text;
        std::optional<std::string> midiIn; // in the section "Settings"
    } cases[] = {
        {"[Settings]\r\n  MIDI In  =  Port A  \r\n", "Port A"},
        {"\xEF\xBB\xBF[Settings]\nMIDI%20In=x\n", "x"},
        {"[Set%74ings]\nMIDI%U0020In=x\n", "x"},
        {"; mine\n[Settings]\n; MIDI In=no\nMIDI In=yes ; a comment\n", "yes"},
        {"[Settings]\nMIDI In=Port, 2\n", "Port, 2"},
        {"[Settings]\nMIDI In=a ,b,  c\n", "a, b, c"},
        {"[Settings]\nMIDI In=\"a \" b , \"c\"\n", "a b , c"},
        {"[Settings]\nMIDI In=\"two\nlines\"\nChannel=1\n", "two\nlines"},
        {"[Settings]\nMIDI In=con\\\ntinued\n", "continued"},
        {"[Settings]\nMIDI In=\\x41\\102\\t|\\q\n", "AB\t|"},
        {"[Settings]\nMIDI In=trail \\t \n", "trail \t"},
        {"[Settings]\nMIDI In=@String(x)\n", "x"},
        {"[Settings]\nMIDI In=@@x\n", "@x"},
        {"[Settings]\nMIDI In=Gr\xC3\xBC\xC3\x9F\x65", "Grüße"},
        {"[Settings]\nMIDI In=1\nMIDI In=2\n", "2"},
        {"[Settings]\nMIDI In=1\n[Other]\nMIDI In=2\n[Settings]\nMIDI In=3\n[Other]\n", "3"},
        {"[Settings]\nMIDI In=", ""},
        {"[Other]\nMIDI In=x\n", std::nullopt},
        {"MIDI In=x\n[Settings]\n", std::nullopt},
        {"[Settings]\nMIDI In\nMIDI Out=x\n", std::nullopt},
    };
    testing_support::TempDir dir;
    int file = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(IniText(c.text).value("Settings", "MIDI In"), c.midiIn);
        const std::string path = dir.file(std::to_string(++file) + ".ini");
        writePlain(path, c.text);
        EXPECT_EQ(qsettingsValue(path, "Settings", "MIDI In"), c.midiIn);
    }
}

TEST(SettingsFile, AnEditChangesOnlyWhatItMustAndKeepsTheUsersLines) {
    const struct {
        std::string before;
        std::string section, key;
        std::optional<std::string> value; // nothing: remove the key
        std::string after;
    } cases[] = {
        {"[Settings]\r\nChannel = 3 ; drums\r\nOwn=1\r\n", "Settings", "Channel", "9",
         "[Settings]\r\nChannel =9; drums\r\nOwn=1\r\n"},
        {"[Settings]\nChannel=3\n\n; kits\n[Kits]\nA=1\n", "Settings", "MIDI In", "Port, 2",
         "[Settings]\nChannel=3\nMIDI%20In=\"Port, 2\"\n\n; kits\n[Kits]\nA=1\n"},
        {"[Settings]\n[Kits]\nA=1\n", "Settings", "Channel", "3",
         "[Settings]\nChannel=3\n[Kits]\nA=1\n"},
        {"[Kits]\nA=1", "Recent File List", "File1", "/k/a.drm",
         "[Kits]\nA=1\n\n[Recent%20File%20List]\nFile1=/k/a.drm\n"},
        {"", "Settings", "Channel", "3", "[Settings]\nChannel=3\n"},
        {"[Settings]\nChannel=1\n[Kits]\n[Settings]\nChannel=2\n", "Settings", "Channel", "5",
         "[Settings]\nChannel=1\n[Kits]\n[Settings]\nChannel=5\n"},
        {"[Settings]\nMIDI In=\"a\nb\"\nChannel=1\n", "Settings", "MIDI In", "c",
         "[Settings]\nMIDI In=c\nChannel=1\n"},
        {"[Recent%20File%20List]\r\nFile1=a\r\n  File2 = b ; old\r\n File1 = c\r\nOwn=1\r\n",
         "Recent File List", "File1", std::nullopt,
         "[Recent%20File%20List]\r\n  File2 = b ; old\r\nOwn=1\r\n"},
    };
    testing_support::TempDir dir;
    int file = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.before);
        IniText text(c.before);
        if (c.value)
            text.setValue(c.section, c.key, *c.value);
        else
            text.remove(c.section, c.key);
        EXPECT_EQ(text.bytes(), c.after);
        const std::string path = dir.file(std::to_string(++file) + ".ini");
        writePlain(path, text.bytes());
        EXPECT_EQ(qsettingsValue(path, c.section, c.key), c.value);
    }
}

// A quote or a backslash left open at the end of a hand-edited file would swallow a new line: the
// change is refused rather than written and lost.
TEST(SettingsFile, AChangeThatWouldNotReadBackIsRefused) {
    testing_support::TempDir dir;
    for (const std::string before : {"[Settings]\nChannel=1\\", "[Mine]\nA=\"open\n"}) {
        SCOPED_TRACE(before);
        writePlain(dir.file("Pulvex.ini"), before);
        EXPECT_EQ(SettingsStore(dir.file("Pulvex.ini")).writeNumber(SettingKey::Duration, 5),
                  "Cannot write \"" + dir.file("Pulvex.ini") +
                      "\": a quote or a backslash in it is left open");
        EXPECT_EQ(slurp(dir.file("Pulvex.ini")), before);
    }
}

// Each write of a setting rewrites the whole file, so a failure must never leave less than the
// old file: a full disk once emptied it and reported success.
TEST(SettingsFile, AFailedWriteIsReportedAndLeavesTheOldFileAsItWas) {
    const struct {
        const char* name;
        Obstacle obstacle;
        bool fileExisted;
        bool inMissingFolder; // which the store makes first
        const char* reason;   // null: the write succeeds
    } cases[] = {
        {"file existed", Obstacle::None, true, false, nullptr},
        {"new file in a missing folder", Obstacle::None, false, true, nullptr},
        {"full disk, file existed", Obstacle::FullDisk, true, false, "the disk is full"},
        {"full disk, new file", Obstacle::FullDisk, false, false, "the disk is full"},
        {"read-only folder", Obstacle::ReadOnlyFolder, true, false, "permission denied"},
        {"read-only file", Obstacle::ReadOnlyFile, true, false, "permission denied"},
        {"missing folder that cannot be made", Obstacle::ReadOnlyFolder, false, true,
         "the folder does not exist"},
    };
    const std::string old = "; my own notes\n[Settings]\nChannel=3\n[Mine]\nKept=yes\n";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        testing_support::TempDir dir;
        const fs::path folder = dir.path() / "config";
        fs::create_directory(folder);
        const fs::path path = (c.inMissingFolder ? folder / "pulvex" : folder) / "Pulvex.ini";
        if (c.fileExisted) {
            writePlain(path, old);
            fs::permissions(path, fs::perms(c.obstacle == Obstacle::ReadOnlyFile ? 0444 : 0666));
        }
        fs::permissions(folder, fs::perms(c.obstacle == Obstacle::ReadOnlyFolder ? 0555 : 0777));

        const std::optional<std::string> message = testing_support::writeUnderObstacle(
            c.obstacle,
            [&] {
                const files::FileError error =
                    SettingsStore(path.string()).writeNumber(SettingKey::Channel, 9);
                return error ? *error : "";
            },
            16);
        fs::permissions(folder, fs::perms(0755));
        if (!message) GTEST_SKIP() << "this system does not let a child set up " << c.name;

        if (c.reason) {
            EXPECT_EQ(*message, "Cannot write \"" + path.string() + "\": " + c.reason);
            // The old file, or none.
            EXPECT_EQ(fs::exists(path) ? slurp(path) : "-", c.fileExisted ? old : "-");
        } else {
            EXPECT_EQ(*message, "");
            EXPECT_EQ(SettingsStore(path.string()).readNumber(SettingKey::Channel), 9);
            if (c.fileExisted) { // with every line of the user's
                EXPECT_EQ(slurp(path), "; my own notes\n[Settings]\nChannel=9\n[Mine]\nKept=yes\n");
            }
        }
    }
}
