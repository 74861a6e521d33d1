// Klangor's MIDI setup in its settings file: what a hand-edited or missing file reads as, and that
// writing keeps the rest of the file.

#include "morvex/MidiSettings.h"
#include "files/AtomicWrite.h"
#include "files/BoundedRead.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace morvex;
namespace fs = std::filesystem;

namespace {

struct SettingsFile : ::testing::Test {
    fs::path folder =
        fs::temp_directory_path() /
        ("klangor-settings-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
         "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::string path = (folder / "sub" / "Klangor.ini").string(); // the folder is made on write
    void SetUp() override { fs::remove_all(folder); }
    void TearDown() override { fs::remove_all(folder); }
    std::string contents() const {
        const files::ReadResult read = files::readFileBounded(path, 1 << 16);
        return {read.bytes.begin(), read.bytes.end()};
    }
};

TEST_F(SettingsFile, ReadsWhatWasWrittenAndNothingElse) {
    EXPECT_EQ(readMidiSettings(path), MidiSettings{}) << "a missing file reads as the defaults";
    const MidiSettings chosen{"Morvex Emulator In:MIDI In", "Synth, \"Out\"=1", 16, 500, true};
    ASSERT_EQ(writeMidiSettings(path, chosen), std::nullopt) << "the config folder is made";
    EXPECT_EQ(readMidiSettings(path), chosen);
    ASSERT_FALSE(files::writeFileAtomically(path, "; mine\n[Other]\nKey=1\n"));
    ASSERT_EQ(writeMidiSettings(path, chosen), std::nullopt);
    EXPECT_EQ(readMidiSettings(path), chosen);
    EXPECT_TRUE(contents().starts_with("; mine\n[Other]\nKey=1\n")) << contents();
}

TEST_F(SettingsFile, HandEditedValuesReadAsSomethingUsable) {
    struct Case {
        const char* device;
        const char* pause;
        const char* sendWhileEditing;
        int wantDevice;
        int wantPause;
        bool wantSend;
    };
    const Case cases[] = {
        {"0", "-5", "yes", 1, 0, false},
        {"17", "501", "true", 16, 500, true},
        {"99999999999999999999", "-99999999999999999999", "false", 16, 0, false},
        {"3x", "", "1", 1, 0, false},
        {"7", "120", "true", 7, 120, true},
    };
    fs::create_directories(fs::path(path).parent_path());
    for (const Case& c : cases) {
        ASSERT_FALSE(files::writeFileAtomically(
            path, std::string("[MIDI]\nDevice=") + c.device + "\nPause=" + c.pause +
                      "\nSendWhileEditing=" + c.sendWhileEditing + "\n"));
        const MidiSettings read = readMidiSettings(path);
        EXPECT_EQ(read.deviceNumber, c.wantDevice) << c.device;
        EXPECT_EQ(read.pauseMs, c.wantPause) << c.pause;
        EXPECT_EQ(read.sendWhileEditing, c.wantSend) << c.sendWhileEditing;
    }
}

TEST(SettingsPath, TheEnvironmentNamesTheFile) {
    ::setenv("KLANGOR_INI", "/tmp/elsewhere.ini", 1);
    EXPECT_EQ(midiSettingsPath(), "/tmp/elsewhere.ini");
    ::unsetenv("KLANGOR_INI");
    EXPECT_TRUE(midiSettingsPath().ends_with("/klangor/Klangor.ini")) << midiSettingsPath();
}

} // namespace
