// pulvex-cli end to end: the real binary, real files, and the virtual Pulvex module on the private
// MIDI bus, reached through the real Wirebox.

#include "pulvex/model/DrumMapFormats.h"
#include "pulvex/model/tests/MidnamPatches.h"
#include "pulvex/model/tests/SampleKit.h"
#include "testing/EmulatorProcess.h"
#include "testing/TempDir.h"
#include "wirebox/Wirebox.h"

#include <QFile>
#include <algorithm>
#include <cctype>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <tuple>

using Bytes = std::vector<std::uint8_t>;

namespace {

struct Result {
    int status = -1;
    std::string out, err;
};

std::string quote(const std::string& s) {
    return "'" + s + "'";
}

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class PulvexCli : public ::testing::Test {
protected:
    void SetUp() override { setenv("PULVEX_INI", dir.file("Pulvex.ini").c_str(), 1); }
    void TearDown() override {
        stopEmulator();
        unsetenv("PULVEX_INI");
    }

    // Starts the virtual module with extra arguments and waits until its ports are listed.
    void startEmulator(const std::vector<std::string>& extra = {}) {
        ASSERT_TRUE(emulator.start(MIDI_EMULATOR, "pulvex", extra, dir.file("emulator.txt")))
            << "the emulator's ports did not appear";
    }
    void stopEmulator() { emulator.stop(); }

    Result run(const std::vector<std::string>& args, const std::string& shellPrefix = "") {
        std::string command = shellPrefix + quote(PULVEX_CLI);
        // Appended piece by piece: GCC 12 at -O3 warns (-Wrestrict) on a literal + temporary.
        for (const auto& a : args) (command += ' ') += quote(a);
        (command += " 2>") += quote(dir.file("stderr.txt"));
        Result r;
        FILE* pipe = popen(command.c_str(), "r");
        char buffer[4096];
        for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            r.out.append(buffer, n);
        const int status = pclose(pipe);
        r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        r.err = slurp(dir.file("stderr.txt"));
        return r;
    }

    std::vector<std::string> ports() {
        return {"--in", emulator.outPort(), "--out", emulator.inPort()};
    }

    Result receive(const std::string& bank, const std::string& kit, const std::string& out,
                   std::vector<std::string> extra = {}, const std::string& shellPrefix = "") {
        std::vector<std::string> args = {"receive", "--bank", bank, "--kit", kit, "-o", out};
        for (const auto& a : ports()) args.push_back(a);
        args.insert(args.end(), extra.begin(), extra.end());
        return run(args, shellPrefix);
    }

    testing_support::TempDir dir;
    testing_support::EmulatorProcess emulator;
};

// Every write past 512 bytes fails with EFBIG, as on a full disk.
const std::string kFullDisk = "trap '' XFSZ; ulimit -f 1; ";
// Ends a program still reading an endless input after five seconds.
const std::string kTimeLimit = "exec timeout 5 ";

std::vector<std::string> rows(const std::string& table) {
    std::vector<std::string> out;
    for (std::size_t at = 0, end; (end = table.find('\n', at)) != std::string::npos; at = end + 1)
        out.push_back(table.substr(at, end - at));
    return out;
}

std::vector<std::string> filesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST_F(PulvexCli, ReceivesAKitFromTheModule) {
    startEmulator();
    const Result r = receive("preset", "1", dir.file("rock.drm"));
    ASSERT_EQ(r.status, 0) << r.err;
    const auto table = rows(r.out);
    ASSERT_EQ(table.size(), 65u);
    EXPECT_EQ(table[0], "SOUND\tQNT\tI-NOTE\tLEN\tO-NOTE\tCHN\tLV1\tLV2\tLV3\tLV4");
    EXPECT_EQ(table[1], "bdDR Kikin\tOff\tB0\tOff\tB0\t1\t70\t90\t110\t120");
    EXPECT_EQ(table[50].substr(0, 11), "bdDR Kikin\t"); // key 49 takes entry 0 too
    EXPECT_EQ(table[51], "************\tOff\tOff\tOff\tOff\t1\t70\t90\t110\t120");

    // What was saved is what show reads back.
    const Result shown = run({"show", dir.file("rock.drm")});
    EXPECT_EQ(shown.status, 0);
    EXPECT_EQ(shown.out, r.out);
    EXPECT_NE(r.err.find("Finished retrieving names"), std::string::npos);
}

TEST_F(PulvexCli, ReceiveWritesNoFileButItsOutput) {
    startEmulator();
    // No scratch file: a temporary folder that does not exist changes nothing.
    const Result r = receive("preset", "1", dir.file("kit.drm"), {}, "TMPDIR=/nonexistent ");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(rows(r.out).size(), 65u);

    // A full disk keeps the earlier file and says so; a new file is not made at all.
    const std::string before = slurp(dir.file("kit.drm"));
    for (const char* name : {"kit.drm", "new.drm"}) {
        SCOPED_TRACE(name);
        const Result full = receive("preset", "2", dir.file(name), {}, kFullDisk);
        EXPECT_EQ(full.status, 1);
        EXPECT_NE(full.err.find("pulvex-cli: Cannot write \"" + dir.file(name) +
                                "\": the disk is full\n"),
                  std::string::npos)
            << full.err;
    }
    EXPECT_EQ(slurp(dir.file("kit.drm")), before);
    EXPECT_FALSE(std::filesystem::exists(dir.file("new.drm")));
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        EXPECT_NE(entry.path().extension(), ".tmp") << "left behind";
    EXPECT_FALSE(std::filesystem::exists(dir.file("Pulvex.ini"))); // the settings were only read
}

TEST_F(PulvexCli, EndlessAndHugeInputsAreRefused) {
    pulvex::CPulvexDoc kit;
    kit.keys[0].SetSound("First", 40);
    Bytes drm = kit.Serialize();
    drm.resize(64 * 1024);
    ASSERT_FALSE(files::writeFileAtomically(dir.file("large.drm"), drm));
    drm.push_back(0);
    ASSERT_FALSE(files::writeFileAtomically(dir.file("huge.drm"), drm));
    ASSERT_FALSE(files::writeFileAtomically(dir.file("huge.syx"), Bytes(256 * 1024 + 1, 0xF0)));

    EXPECT_EQ(run({"show", dir.file("large.drm")}).status, 0); // up to the bound it is read
    const std::vector<std::string> refused[] = {
        {"show", dir.file("huge.drm")},
        {"show", "/dev/zero"},
        {"decode-kit", "/dev/zero", "-o", dir.file("x.drm")},
        {"decode-kit", dir.file("huge.syx"), "-o", dir.file("x.drm")},
        {"export", "/dev/zero", "--format", "cfg", "--select", "1", "-o", dir.file("x.cfg")}};
    for (const auto& args : refused) {
        SCOPED_TRACE(args[0] + " " + args[1]);
        const Result r = run(args, kTimeLimit);
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find(args[1]), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("x.drm")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("x.cfg")));
}

TEST_F(PulvexCli, DeviceNumberAndChannelComeFromTheSettingsOrTheCommandLine) {
    startEmulator({"--device", "5"});
    ASSERT_EQ(run({"settings", "Device Number=5", "Channel=9"}).status, 0);
    const Result r = receive("card", "64", dir.file("card.drm"));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(rows(r.out)[1].find("\t10\t") != std::string::npos, true); // channel 9 shows as 10

    // The command line wins over the settings: device 0 finds nobody.
    const Result wrong =
        receive("card", "64", dir.file("none.drm"), {"--device", "0", "--wait", "300"});
    EXPECT_EQ(wrong.status, 3);
    EXPECT_NE(wrong.err.find("Pulvex does not respond"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir.file("none.drm")));
}

TEST_F(PulvexCli, FailuresOfTheModuleWriteNothing) {
    const std::tuple<const char*, int, const char*> cases[] = {
        {"short", 1, "MIDI communication error"},
        {"silent", 3, "Pulvex does not respond - check cable and/or configuration"}};
    for (const auto& [fault, status, message] : cases) {
        startEmulator({"--fault", fault});
        const Result r = receive("internal", "3", dir.file("out.drm"), {"--wait", "300"});
        EXPECT_EQ(r.status, status) << fault;
        EXPECT_NE(r.err.find(message), std::string::npos) << fault << ": " << r.err;
        EXPECT_FALSE(std::filesystem::exists(dir.file("out.drm"))) << fault;
        stopEmulator();
    }
    // No such port: said before anything opens.
    const Result r = run({"receive", "--bank", "preset", "--kit", "1", "-o", dir.file("x.drm"),
                          "--in", "nobody", "--out", "nobody"});
    EXPECT_EQ(r.status, 4);
    EXPECT_EQ(r.err, "pulvex-cli: no MIDI port is named \"nobody\" or has it in its name\n");
}

TEST_F(PulvexCli, PortsListsTheServiceOrSaysWhyNot) {
    startEmulator();
    const Result r = run({"ports"});
    EXPECT_EQ(r.status, 0) << r.err;
    const std::size_t outputs = r.out.find("MIDI outputs");
    EXPECT_LT(r.out.find("  " + emulator.outPort() + "\n"), outputs) << r.out;
    EXPECT_NE(r.out.find("  " + emulator.inPort() + "\n", outputs), std::string::npos) << r.out;

    // Empty lists alone would look like a bus without instruments.
    const Result none = run({"ports"}, "JACK_DEFAULT_SERVER=suite-no-bus ");
    EXPECT_EQ(none.status, 1);
    EXPECT_NE(none.err.find("JACK"), std::string::npos) << none.err;
}

TEST_F(PulvexCli, ExportsSelectedRows) {
    startEmulator();
    const Result received = receive("preset", "1", dir.file("kit.drm"));
    ASSERT_EQ(received.status, 0) << received.err;
    ASSERT_EQ(run({"export", dir.file("kit.drm"), "--format", "cfg", "--select", "1,3-4", "-o",
                   dir.file("kit.cfg")})
                  .status,
              0);
    const std::string cfg = slurp(dir.file("kit.cfg"));
    EXPECT_EQ(cfg.substr(0, cfg.find('\n')), "\"Pulvex Drum Kit: kit.cfg\"");
    EXPECT_EQ(std::count(cfg.begin(), cfg.end(), '\n'), 17);

    const Result many = run({"export", dir.file("kit.drm"), "--format", "kbr", "--select", "1-30",
                             "-o", dir.file("kit.kbr")});
    EXPECT_EQ(many.status, 0);
    EXPECT_NE(many.err.find("the first 25"), std::string::npos);
    EXPECT_EQ(slurp(dir.file("kit.kbr")).size(), 300u);

    const Result none = run({"export", dir.file("kit.drm"), "--format", "kbr", "--select", "", "-o",
                             dir.file("none.kbr")});
    EXPECT_EQ(none.status, 2); // the command line selects nothing
    EXPECT_FALSE(std::filesystem::exists(dir.file("none.kbr")));
    EXPECT_EQ(run({"export", dir.file("kit.drm"), "--format", "kbr", "--select", "65", "-o",
                   dir.file("bad.kbr")})
                  .status,
              2);
}

TEST_F(PulvexCli, ExportWritesEveryFormatOfTheTable) {
    ASSERT_FALSE(files::writeFileAtomically(dir.file("kit.drm"),
                                            pulvex::storeDrm(pulvex_test::sampleKit())));
    const std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    struct Case {
        const char* format;
        const char* select; // rows, or nothing
        std::string begins;
    };
    const Case cases[] = {
        {"cubase", nullptr, std::string("D101\0\1", 6)},
        {"kbr", "2", std::string("Snare <&\"\0", 10)},
        {"cfg", "2", "\"Pulvex Drum Kit: out.cfg\"\n\"Snare <&\">\", 38, 10, "},
        {"cubase-xml", nullptr, xml + "<DrumMap>"},
        {"midnam", nullptr, xml + "<!DOCTYPE MIDINameDocument"},
        {"reaper", nullptr, "# MIDI note/CC name map\n36 Kick\n"},
        {"studio-one", nullptr, xml + "<Music.PitchNameList title=\"Pulvex Kit\">"},
        {"musescore", nullptr, xml + "<museScore version=\"4.50\">"},
        {"ins", nullptr, "; Pulvex drum kit\r\n"}};
    ASSERT_EQ(std::size(cases), pulvex::drumMapFormats().size());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        const std::string out =
            dir.file(std::string("out.") + pulvex::findDrumMapFormat(c.format)->suffix);
        std::vector<std::string> args = {"export", dir.file("kit.drm"), "--format", c.format, "-o",
                                         out};
        if (c.select) args.insert(args.end(), {"--select", c.select});
        const Result r = run(args);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(slurp(out).substr(0, c.begins.size()), c.begins);
    }

    // Rows mean nothing to a whole-kit format: said, and the file is written.
    const Result rows = run({"export", dir.file("kit.drm"), "--format", "reaper", "--select", "1",
                             "-o", dir.file("rows.txt")});
    EXPECT_EQ(rows.status, 0);
    EXPECT_NE(rows.err.find("holds the whole kit"), std::string::npos) << rows.err;
    // An unknown format is refused with the names there are; --help lists them too.
    const Result unknown =
        run({"export", dir.file("kit.drm"), "--format", "logic", "-o", dir.file("x.logic")});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(
        unknown.err.find("--format takes " + pulvex::drumMapFormatNames() + ", not \"logic\""),
        std::string::npos)
        << unknown.err;
    EXPECT_FALSE(std::filesystem::exists(dir.file("x.logic")));
    const std::string help = run({"--help"}).out;
    for (const pulvex::DrumMapFormat& format : pulvex::drumMapFormats())
        EXPECT_NE(help.find(std::string("  ") + format.name + " "), std::string::npos)
            << format.name;
}

TEST_F(PulvexCli, DecodesCapturedReplies) {
    startEmulator();
    // Capture the three replies through Wirebox, as another SysEx tool would have kept them.
    SetTimeOut(5000);
    ASSERT_EQ(OpenMidi(nullptr, 0, emulator.outPort().c_str(), emulator.inPort().c_str()), 1);
    auto capture = [&](Bytes request, const std::string& file) {
        ASSERT_EQ(MidiTransmit(static_cast<uint32_t>(request.size()), request.data()), 1);
        uint32_t length = 0;
        unsigned char* reply = MidiReceive(&length);
        ASSERT_NE(reply, nullptr);
        std::ofstream(file, std::ios::binary).write(reinterpret_cast<char*>(reply), length);
        DiscardMidiMessage(reply);
    };
    const Bytes head = {0xF0, 0x43, 0x20, 0x7E, 'L', 'M', ' ', ' ', '0', '0', '8', '7'};
    Bytes vi = head, vw = head, kt = head;
    vi.insert(vi.end(), {'V', 'I', 0xF7});
    vw.insert(vw.end(), {'V', 'W', 0xF7});
    kt[3] = 0x7A;
    kt.insert(kt.end(), {'K', 'T', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x01, 0x00, 0, 0, 0xF7});
    capture(vi, dir.file("vi.syx"));
    capture(vw, dir.file("vw.syx"));
    capture(kt, dir.file("kt.syx"));
    CloseMidi();
    stopEmulator();

    const Result r = run({"decode-kit", dir.file("kt.syx"), "--vi", dir.file("vi.syx"), "--vw",
                          dir.file("vw.syx"), "-o", dir.file("card.drm")});
    ASSERT_EQ(r.status, 0) << r.err;
    auto namesCardVoices = [](const std::string& table) {
        return table.find("s1WC ") != std::string::npos ||
               table.find("s2WC ") != std::string::npos || table.find("s3WC ") != std::string::npos;
    };
    EXPECT_TRUE(namesCardVoices(r.out)) << r.out; // wave-card voices named
    // Without the name lists the wave-card keys keep only their category.
    const Result bare = run({"decode-kit", dir.file("kt.syx"), "-o", dir.file("bare.drm")});
    ASSERT_EQ(bare.status, 0) << bare.err;
    EXPECT_FALSE(namesCardVoices(bare.out));
    // A name list is not a kit.
    const Result wrong = run({"decode-kit", dir.file("vi.syx"), "-o", dir.file("wrong.drm")});
    EXPECT_EQ(wrong.status, 1);
    EXPECT_FALSE(std::filesystem::exists(dir.file("wrong.drm")));
}

TEST_F(PulvexCli, SettingsAreShownAndCheckedBeforeWriting) {
    Result r = run({"settings"});
    ASSERT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("Velocity 4=120\n"), std::string::npos);
    EXPECT_NE(r.out.find("MIDI In=\n"), std::string::npos);
    r = run({"settings", "Duration=9", "MIDI In=Some Port"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("Duration=9\n"), std::string::npos);
    EXPECT_NE(r.out.find("MIDI In=Some Port\n"), std::string::npos);
    // A bad value anywhere writes nothing.
    EXPECT_EQ(run({"settings", "Channel=3", "Velocity 1=200"}).status, 2);
    EXPECT_EQ(run({"settings", "Chanel=3"}).status, 2);
    EXPECT_EQ(run({"settings", "Program Change Pause=501"}).status, 2);
    EXPECT_EQ(run({"settings", "Program Change Pause=500"}).status, 0);
    EXPECT_NE(run({"settings"}).out.find("Channel=0\n"), std::string::npos);
}

// All assignments are one write; on a full disk it fails whole, and the user's file stays.
TEST_F(PulvexCli, ASettingsFileThatCannotBeWrittenIsReportedAndKept) {
    const std::string old =
        "[Settings]\nChannel=1\n\n[Mine]\nNotes=" + std::string(600, 'x') + "\n";
    std::ofstream(dir.file("Pulvex.ini"), std::ios::binary) << old;
    const Result r = run({"settings", "Channel=3", "Device Number=4"}, kFullDisk);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err,
              "pulvex-cli: Cannot write \"" + dir.file("Pulvex.ini") + "\": the disk is full\n");
    EXPECT_EQ(slurp(dir.file("Pulvex.ini")), old);

    ASSERT_EQ(run({"settings", "Channel=3", "Device Number=4"}).status, 0);
    EXPECT_EQ(slurp(dir.file("Pulvex.ini")),
              "[Settings]\nChannel=3\nDevice%20Number=4\n\n[Mine]\nNotes=" + std::string(600, 'x') +
                  "\n");
}

// ---- many kits ----

TEST_F(PulvexCli, EveryKitOfABankGoesIntoOneMidiNameDocument) {
    startEmulator();
    const Result r = receive("card", "all", dir.file("card.midnam"), {"--format", "midnam"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Card 64\tCard_64\nRead 64 of 64 kits.\n"), std::string::npos) << r.out;
    EXPECT_NE(r.err.find("Reading kit 64 of 64: Card 64"), std::string::npos);
    const auto patches = pulvex_test::patchesOf(slurp(dir.file("card.midnam")));
    ASSERT_EQ(patches.size(), 64u);
    for (int k = 0; k < 64; ++k) {
        const std::string number = std::string(k < 9 ? "0" : "").append(std::to_string(k + 1));
        EXPECT_EQ(patches[k], std::pair(128 + k, "Card_" + number)); // after Preset and Internal
    }
}

TEST_F(PulvexCli, AFormatOfOneKitWritesAFileForEachIntoTheFolder) {
    startEmulator();
    const std::string folder = dir.file("kits"); // made when missing
    const Result r = receive("all", "1", folder);
    ASSERT_EQ(r.status, 0) << r.err;
    const auto names = filesIn(folder);
    ASSERT_EQ(names.size(), 3u);
    EXPECT_EQ(names[0], "Card-01 Card_01.drm");
    EXPECT_EQ(names[1].substr(0, 12), "Internal-01 ");
    EXPECT_EQ(names[2], "Preset-01 Rock_1.drm");
    // Each file is the kit a receive of that kit alone saves.
    const Result alone = receive("card", "1", dir.file("card1.drm"));
    ASSERT_EQ(alone.status, 0) << alone.err;
    EXPECT_EQ(slurp(folder + "/" + names[0]), slurp(dir.file("card1.drm")));
}

TEST_F(PulvexCli, AKitThatNeverComesIsAskedForTwiceReportedAndTheRestWritten) {
    startEmulator({"--fault", "silent-kit", "--log", dir.file("wire.log")});
    const Result r = receive("internal", "all", dir.file("internal.midnam"),
                             {"--format", "midnam", "--wait", "300"});
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.out.find("Read 63 of 64 kits.\nKits not read: Internal 12 (no answer).\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.err.find("pulvex-cli: not every kit was read; the 63 that were are in \"" +
                         dir.file("internal.midnam") + "\""),
              std::string::npos)
        << r.err;
    const auto patches = pulvex_test::patchesOf(slurp(dir.file("internal.midnam")));
    ASSERT_EQ(patches.size(), 63u);
    EXPECT_EQ(patches[10].first, 64 + 10);
    EXPECT_EQ(patches[11].first, 64 + 12); // Internal 12 is missing, not mislabelled
    // The request for Internal 12 (bank 02, kit 0B) went out twice.
    const std::string log = slurp(dir.file("wire.log"));
    const std::string request = "4B 54 00 00 00 00 00 00 00 00 00 00 00 00 02 0B";
    std::size_t count = 0;
    for (std::size_t at = log.find(request); at != std::string::npos;
         at = log.find(request, at + 1))
        ++count;
    EXPECT_EQ(count, 2u);
}

TEST_F(PulvexCli, ReceiveRefusesWhatItCannotDo) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--bank", "every", "--kit", "1"}, "--bank takes preset, internal, card or all"},
        {{"--bank", "all", "--kit", "65"}, "--kit takes an integer 1..64"},
        {{"--bank", "all", "--kit", "all", "--format", "kbr"},
         "it holds selected keys, and a received kit has none"},
        {{"--bank", "all", "--kit", "all", "--format", "logic"}, "receive --format takes cubase, "},
    };
    for (const auto& [args, message] : cases) {
        std::vector<std::string> all = {"receive", "-o", dir.file("x")};
        all.insert(all.end(), args.begin(), args.end());
        const Result r = run(all);
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("x")));
}

// The conventions every tool of the suite keeps: --version, --help and COMMAND --help on stdout,
// the usage on stderr for a wrong command line, and an exit status for each kind of failure.
TEST_F(PulvexCli, CommandLineFollowsTheSuitesConventions) {
    startEmulator();
    std::string lowerIn = emulator.outPort(); // a part of the name in another case
    std::transform(lowerIn.begin(), lowerIn.end(), lowerIn.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string out, err; // contained; "" takes anything
    };
    const std::string kit = dir.file("kit.drm");
    const Case cases[] = {
        {{"--version"}, 0, "pulvex-cli ", ""},
        {{"--help"}, 0, "Exit status: 0 success", ""},
        {{"export", "--help"}, 0, "usage: pulvex-cli export FILE.drm", ""},
        {{"receive", "-h"}, 0, "--wait MS", ""},
        {{"formats"}, 0, "cubase\nkbr\n", ""},
        {{}, 2, "", "usage: pulvex-cli COMMAND"},
        {{"frobnicate"}, 2, "", "usage: pulvex-cli COMMAND"},
        {{"show", "a.drm", "b.drm"}, 2, "", "usage: pulvex-cli show FILE.drm"},
        {{"export", kit, "--colour", "red"}, 2, "", "unknown option --colour"},
        {{"decode-kit", dir.file("none.syx"), "-o", kit}, 1, "", "none.syx\": the file does not"},
        {{"receive", "--bank", "preset", "--kit", "1", "-o", kit, "--in", lowerIn.substr(3),
          "--out", "nowhere"},
         4,
         "",
         "no MIDI port is named \"nowhere\""},
        {{"receive", "--bank", "preset", "--kit", "1", "-o", kit, "--in", lowerIn.substr(3),
          "--out", emulator.inPort()},
         0,
         "bdDR Kikin",
         ""},
    };
    for (const Case& c : cases) {
        std::string line;
        for (const auto& a : c.args) line += a + " ";
        SCOPED_TRACE(line);
        const Result r = run(c.args);
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_NE(r.out.find(c.out), std::string::npos) << r.out;
        EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
        if (c.status != 2) {
            EXPECT_EQ(r.err.find("usage"), std::string::npos) << r.err;
        }
    }
}
