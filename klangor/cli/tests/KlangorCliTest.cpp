// klangor-cli as a user runs it: the real binary on real files in a temporary folder, and for the
// MIDI commands the private bus of the tests with a peer port playing the synthesizer. Everything
// is judged from what the user sees: exit status, stdout, stderr and the bytes of the files
// written.

#include "cli/CommandLine.h"
#include "testing/EmulatorProcess.h"
#include "testing/MidiPeer.h"
#include "testing/TempDir.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <regex>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <tuple>
#include <vector>

using namespace std::chrono_literals;
using testing_support::Bytes;
using testing_support::MidiInputPeer;
using testing_support::TempDir;

namespace {

constexpr int kHeader = 16; // file offset of VoiceData 0

const std::string kDataDir = KLANGOR_DATA_DIR;
const std::string kInitial = kDataDir + "/initial.syx";

struct Result {
    int status = -1;
    std::string out;
    std::string err;
};

std::string quote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

Bytes readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

bool exists(const std::string& path) {
    return std::filesystem::exists(path);
}

// Every number that follows "key": in the JSON, in the order printed.
std::vector<int> values(const std::string& json, const std::string& key) {
    std::vector<int> found;
    const std::regex pattern("\"" + key + "\": (-?[0-9]+)");
    for (auto it = std::sregex_iterator(json.begin(), json.end(), pattern);
         it != std::sregex_iterator(); ++it)
        found.push_back(std::stoi((*it)[1]));
    return found;
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The check bytes are over the bytes as the synthesizer sees them, so 226 counts as 26.
int dataSumMod128(const Bytes& file) {
    int sum = 0;
    for (int i = 0; i <= 574; ++i) {
        const int byte = file.at(kHeader + i);
        sum += byte == 226 ? 26 : byte;
    }
    return sum % 128;
}

// A shell prefix under which every write past 512 bytes fails with EFBIG, as on a full disk.
const std::string kFullDisk = "trap '' XFSZ; ulimit -f 1; ";
// A shell prefix that ends a program still reading an endless input after five seconds.
const std::string kTimeLimit = "exec timeout 5 ";

class KlangorCli : public ::testing::Test {
protected:
    Result run(const std::vector<std::string>& args, const std::string& shellPrefix = "") {
        std::string command = shellPrefix + quote(KLANGOR_CLI);
        // Appended piece by piece: GCC 12 at -O3 warns (-Wrestrict) on a literal + temporary.
        for (const std::string& arg : args) (command += ' ') += quote(arg);
        const std::string errFile = dir.file("stderr.txt");
        (command += " 2>") += quote(errFile);
        Result result;
        FILE* pipe = popen(command.c_str(), "r");
        if (!pipe) return result;
        char buffer[4096];
        for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            result.out.append(buffer, n);
        const int status = pclose(pipe);
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        const Bytes err = readFile(errFile);
        result.err.assign(err.begin(), err.end());
        return result;
    }

    // A voice with some VoiceData bytes changed (check bytes left as they were: loading does
    // not verify them).
    std::string voiceWith(const std::string& name, std::vector<std::pair<int, int>> changes,
                          const std::string& from = kInitial) {
        Bytes bytes = readFile(from);
        for (auto [offset, value] : changes) bytes.at(kHeader + offset) = std::uint8_t(value);
        const std::string path = dir.file(name);
        writeFile(path, bytes);
        return path;
    }

    // Runs `set` and returns the file written, failing the test when it was not.
    Bytes setValues(std::vector<std::string> assignments, const std::string& in = kInitial) {
        const std::string out = dir.file("set-out.syx");
        std::filesystem::remove(out);
        std::vector<std::string> args = {"set", in};
        args.insert(args.end(), assignments.begin(), assignments.end());
        args.insert(args.end(), {"-o", out});
        const Result r = run(args);
        EXPECT_EQ(r.status, 0) << r.err;
        return readFile(out);
    }

    TempDir dir;
};

// ---- the command line itself ------------------------------------------------------------------

TEST_F(KlangorCli, HelpVersionAndUsageErrorsFollowTheExitStatuses) {
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string out; // a part of stdout ("" : stdout is empty)
        std::string err; // a part of stderr ("" : stderr is empty)
    };
    const std::string missing = dir.file("missing.syx");
    const Case cases[] = {
        {{"--version"}, 0, cli::versionLine("klangor-cli") + "\n", ""},
        {{"--help"}, 0, "4  a MIDI port that was named or numbered is not there", ""},
        {{"-h"}, 0, "encode JSON -o OUT", ""},
        {{"decode", "--help"}, 0, "decode FILE... [--lines]", ""},
        {{"receive", kInitial, "-h"}, 0, "--timeout MS", ""},
        {{}, 2, "", "klangor-cli: a COMMAND is missing\nusage: klangor-cli"},
        {{"frobnicate"}, 2, "", "unknown command \"frobnicate\""},
        {{"decode"}, 2, "", "decode needs a FILE"},
        {{"decode", kInitial, "--device", "3"}, 2, "", "decode has no option --device"},
        {{"encode", kInitial}, 2, "", "-o OUT is missing"},
        {{"send", kInitial, "--device", "16"}, 2, "", "--device must be 0..15"},
        {{"send", kInitial, "--to", "1", "--out", "x"}, 2, "", "give one"},
        {{"--data"}, 2, "", "--data needs a folder"},
        {{"decode", missing}, 1, "", "klangor-cli: Cannot read \"" + missing},
    };
    for (const Case& c : cases) {
        std::string line;
        for (const std::string& arg : c.args) line += arg + " ";
        SCOPED_TRACE(line);
        const Result r = run(c.args);
        EXPECT_EQ(r.status, c.status);
        if (c.out.empty()) {
            EXPECT_EQ(r.out, "");
        }
        EXPECT_NE(r.out.find(c.out), std::string::npos) << r.out;
        if (c.err.empty()) {
            EXPECT_EQ(r.err, "");
        }
        EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
        // A usage error shows the usage; a data error does not send the user to it.
        EXPECT_EQ(r.err.find("usage:") != std::string::npos, c.status == 2) << r.err;
        if (c.status == 1) {
            EXPECT_EQ(r.err.find("--help"), std::string::npos) << r.err;
        }
    }
}

// ---- decode ------------------------------------------------------------------------------------

TEST_F(KlangorCli, DecodeOfManyFilesIsOneLinePerFileAndSaysWhichFailed) {
    const std::string brassy = dir.file("brassy.syx");
    writeFile(brassy, setValues({"name=Brassy", "effect=37"}));
    const std::string bad = dir.file("bad \"one\".syx");
    writeFile(bad, Bytes(600, 0x41));

    const Result r = run({"decode", kInitial, bad, brassy});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "klangor-cli: 1 of 3 files could not be decoded\n");
    const std::vector<std::string> lines = linesOf(r.out);
    ASSERT_EQ(lines.size(), 3u) << r.out;
    EXPECT_EQ(lines[0].rfind("{\"file\": \"" + kInitial + "\", \"name\": \"Init Pad\", ", 0), 0u);
    EXPECT_EQ(
        lines[1].rfind("{\"file\": \"" + dir.file("bad \\\"one\\\".syx") + "\", \"error\": ", 0),
        0u)
        << lines[1];
    EXPECT_EQ(values(lines[2], "effect"), std::vector<int>{37});
    EXPECT_NE(lines[2].find("\"name\": \"Brassy  \""), std::string::npos);

    // Each line holds what the pretty JSON of the same file holds, blank for blank.
    const Result one = run({"decode", "--lines", kInitial});
    ASSERT_EQ(one.status, 0) << one.err;
    EXPECT_EQ(one.out, lines[0] + "\n");
    std::string pretty = run({"decode", kInitial}).out;
    for (std::size_t at; (at = pretty.find("\n")) != std::string::npos;) {
        std::size_t end = at + 1;
        while (end < pretty.size() && pretty[end] == ' ') ++end;
        pretty.replace(at, end - at, at > 0 && pretty[at - 1] == ',' ? " " : "");
    }
    EXPECT_EQ("{\"file\": \"" + kInitial + "\", " + pretty.substr(1), lines[0]);
}

TEST_F(KlangorCli, DecodeShowsTheInitialVoice) {
    const Result r = run({"decode", kInitial});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_NE(r.out.find("\"name\": \"Init Pad\""), std::string::npos);
    EXPECT_EQ(values(r.out, "effect"), std::vector<int>{49});
    EXPECT_EQ(values(r.out, "configuration"), std::vector<int>{1});
    EXPECT_EQ(values(r.out, "wave"), (std::vector<int>{38, 98, 43, 63}));
    EXPECT_EQ(values(r.out, "volume"), (std::vector<int>{92, 78, 85, 72}));
    EXPECT_EQ(values(r.out, "tone_level"), (std::vector<int>{54, 64}));
    // Block bytes 13..16 go through the 0..99 scale: 0 and 18 in the file show as 99 and 85.
    EXPECT_NE(r.out.find("\"block\": [4, 0, 2, 58, 12, 0, 0, 1, 34, 0, 30, 20, 30, 1, 99, 97, "
                         "85, 0, 1, 27, 7]"),
              std::string::npos);
    EXPECT_EQ(values(r.out, "speed"), (std::vector<int>{40, 10}));
    // 50 steps for each of the two vectors, with signed coordinates.
    const std::regex step(R"(\[-?[0-9]+, -?[0-9]+, -?[0-9]+\])");
    EXPECT_EQ(std::distance(std::sregex_iterator(r.out.begin(), r.out.end(), step),
                            std::sregex_iterator()),
              100);
    EXPECT_NE(r.out.find("[20, 0, 0], [30, 18, -12], [30, -14, 16], [255, 0, 0]"),
              std::string::npos);
}

TEST_F(KlangorCli, MidiFileDecodesLikeTheSyxFile) {
    // A Standard MIDI File stores the SysEx as F0 <variable-length count> <rest after F0>.
    const Bytes syx = readFile(kInitial);
    ASSERT_EQ(syx.size(), 592u);
    const std::size_t count = syx.size() - 1;
    Bytes track = {0x00, 0xF0, std::uint8_t(0x80 | (count >> 7)), std::uint8_t(count & 0x7F)};
    track.insert(track.end(), syx.begin() + 1, syx.end());
    track.insert(track.end(), {0x00, 0xFF, 0x2F, 0x00});
    Bytes mid = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 0x60, 'M', 'T', 'r', 'k'};
    for (int shift = 24; shift >= 0; shift -= 8) mid.push_back(std::uint8_t(track.size() >> shift));
    mid.insert(mid.end(), track.begin(), track.end());
    const std::string path = dir.file("voice.mid");
    writeFile(path, mid);

    const Result fromMid = run({"decode", path});
    const Result fromSyx = run({"decode", kInitial});
    ASSERT_EQ(fromMid.status, 0) << fromMid.err;
    EXPECT_EQ(fromMid.out, fromSyx.out);
}

// ---- bad input files ---------------------------------------------------------------------------

TEST_F(KlangorCli, UnreadableVoiceFilesFailWithoutOutput) {
    const Bytes initial = readFile(kInitial);
    const Bytes junk = {0x00, 0x41, 0x7F}; // before the F0: skipped
    Bytes noF0(600, 0x41);
    Bytes shortDump = junk;
    shortDump.reserve(600); // room first: GCC 12 at -O3 takes the growing insert for an overflow
    shortDump.insert(shortDump.end(), initial.begin(), initial.begin() + 587);
    writeFile(dir.file("nof0.syx"), noF0);
    writeFile(dir.file("short.syx"), shortDump);

    // A good voice at the start does not make a file beyond 1 MiB a voice file, nor an endless one.
    Bytes huge = initial;
    huge.resize(1024 * 1024 + 1);
    writeFile(dir.file("huge.syx"), huge);

    for (const std::string name :
         {"nof0.syx", "short.syx", "missing.syx", "huge.syx", "/dev/zero"}) {
        SCOPED_TRACE(name);
        const std::string path = name[0] == '/' ? name : dir.file(name);
        const Result decoded = run({"decode", path}, kTimeLimit);
        EXPECT_EQ(decoded.status, 1);
        EXPECT_EQ(decoded.out, "");
        EXPECT_NE(decoded.err.find(path), std::string::npos) << decoded.err;
        const std::string out = dir.file("out.syx");
        const Result set = run({"set", path, "effect=1", "-o", out}, kTimeLimit);
        EXPECT_EQ(set.status, 1);
        EXPECT_NE(set.err, "");
        EXPECT_FALSE(exists(out));
    }

    // One byte more, 588 from the F0, is enough: header and parameters. 1 MiB is still read.
    Bytes justEnough = junk;
    justEnough.reserve(600);
    justEnough.insert(justEnough.end(), initial.begin(), initial.begin() + 588);
    writeFile(dir.file("enough.syx"), justEnough);
    huge.pop_back();
    writeFile(dir.file("large.syx"), huge);
    for (const std::string name : {"enough.syx", "large.syx"}) {
        const Result r = run({"decode", dir.file(name)});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_NE(r.out.find("\"name\": \"Init Pad\""), std::string::npos);
    }
}

// ---- set ---------------------------------------------------------------------------------------

TEST_F(KlangorCli, OpenAndSaveRoundTrips) {
    EXPECT_EQ(setValues({}), readFile(kInitial));
    // The starting voice's flags hold 0 or 1, so an instrument that checks the sum accepts it.
    EXPECT_EQ(dataSumMod128(readFile(kInitial)), 88);

    // A B element marked as user-defined keeps its marker; its wave bytes become 1/127.
    const Bytes marked = setValues({}, voiceWith("marked.syx", {{55, 1}}, kInitial));
    ASSERT_EQ(marked.size(), 592u);
    EXPECT_EQ(marked[kHeader + 48], 1);
    EXPECT_EQ(marked[kHeader + 49], 127);
    EXPECT_EQ(marked[kHeader + 55], 1);
    EXPECT_EQ(dataSumMod128(marked), 88);
    EXPECT_EQ(marked.back(), 0xF7);
}

TEST_F(KlangorCli, AFullDiskKeepsTheEarlierFileAndSaysSo) {
    const std::string out = dir.file("out.syx");
    for (const bool existed : {true, false}) {
        SCOPED_TRACE(existed ? "the file existed" : "a new file");
        std::filesystem::remove(out);
        if (existed) {
            ASSERT_EQ(run({"set", kInitial, "name=Old", "-o", out}).status, 0);
        }
        const Bytes before = readFile(out);
        const Result r = run({"set", kInitial, "name=New", "-o", out}, kFullDisk);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, "klangor-cli: Cannot write \"" + out + "\": the disk is full\n");
        EXPECT_EQ(exists(out), existed);
        EXPECT_EQ(readFile(out), before);
        std::vector<std::string> left; // no temporary file
        for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
            left.push_back(entry.path().filename().string());
        std::sort(left.begin(), left.end());
        const std::vector<std::string> expected =
            existed ? std::vector<std::string>{"out.syx", "stderr.txt"}
                    : std::vector<std::string>{"stderr.txt"};
        EXPECT_EQ(left, expected);
    }
}

TEST_F(KlangorCli, Byte26IsStoredAs226AndReadBackAs26) {
    const Bytes file = setValues({"effect=26"}, kInitial);
    ASSERT_EQ(file.size(), 592u);
    EXPECT_EQ(file[kHeader + 2], 226);
    EXPECT_EQ(std::count(file.begin(), file.end(), 26), 0);
    EXPECT_EQ(dataSumMod128(file), 88);

    writeFile(dir.file("26.syx"), file);
    EXPECT_EQ(values(run({"decode", dir.file("26.syx")}).out, "effect"), std::vector<int>{26});
}

TEST_F(KlangorCli, SignedKneeAndInvertedValuesLandInTheirBytes) {
    const Bytes file = setValues(
        {"aftertouch_pitch=-1", "C.freq_shift=-12", "attack_offset=73", "A.volume=0"}, kInitial);
    ASSERT_EQ(file.size(), 592u);
    auto data = [&](int offset) { return int(file[kHeader + offset]); };
    EXPECT_EQ(data(14), 1);
    EXPECT_EQ(data(15), 126);
    EXPECT_EQ(data(96), 1);
    EXPECT_EQ(data(97), 116);
    EXPECT_EQ(data(17), 0);
    EXPECT_EQ(data(18), 37);
    EXPECT_EQ(data(34), 127);
    EXPECT_EQ(dataSumMod128(file), 88);

    // ...and decode back to what was set.
    writeFile(dir.file("edges.syx"), file);
    const std::string json = run({"decode", dir.file("edges.syx")}).out;
    EXPECT_EQ(values(json, "aftertouch_pitch"), std::vector<int>{-1});
    EXPECT_EQ(values(json, "attack_offset"), std::vector<int>{73});
    EXPECT_EQ(values(json, "freq_shift").at(2), -12);
    EXPECT_EQ(values(json, "volume").at(0), 0);

    const Bytes other = setValues({"attack_offset=-73", "A.volume=99"});
    ASSERT_EQ(other.size(), 592u);
    EXPECT_EQ(other[kHeader + 17], 1);
    EXPECT_EQ(other[kHeader + 18], 90);
    EXPECT_EQ(other[kHeader + 34], 0);
}

TEST_F(KlangorCli, NamedValuesReachTheDecodedVoice) {
    const Bytes file =
        setValues({"name=Brassy", "A.attack_rate=99", "B.tone_level=80", "D.block.6=200",
                   "level_vector.speed=90", "level_vector.3.time=254", "detune_vector.0.x=-31"});
    writeFile(dir.file("named.syx"), file);
    const std::string json = run({"decode", dir.file("named.syx")}).out;
    EXPECT_NE(json.find("\"name\": \"Brassy  \""), std::string::npos);
    EXPECT_EQ(values(json, "attack_rate").at(0), 99);
    EXPECT_EQ(values(json, "tone_level"), (std::vector<int>{80, 64}));
    EXPECT_NE(json.find("[4, 0, 1, 45, 10, 1, 200, 1,"), std::string::npos);
    EXPECT_EQ(values(json, "speed"), (std::vector<int>{90, 10}));
    EXPECT_NE(json.find("[30, -14, 16], [254, 0, 0]"), std::string::npos);
    EXPECT_NE(json.find("\"steps\": [\n    [255, -31, 0]"), std::string::npos);

    // Eight characters is the most a name holds.
    writeFile(dir.file("eight.syx"), setValues({"name=ABCDEFGH"}));
    EXPECT_NE(run({"decode", dir.file("eight.syx")}).out.find("\"name\": \"ABCDEFGH\""),
              std::string::npos);
}

TEST_F(KlangorCli, ByteAbove127FromTheFileIsReportedAndStillWritten) {
    // Scaling flag 1 with low part 172 decodes to 300, which no assignment may set.
    const std::string in = voiceWith("high.syx", {{36, 1}, {37, 172}});
    const std::string out = dir.file("range.syx");
    const Result r = run({"set", in, "effect=37", "-o", out});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.err.find("Parameter 37 größer als 127!"), std::string::npos) << r.err;
    const Bytes file = readFile(out);
    ASSERT_EQ(file.size(), 592u);
    EXPECT_EQ(file[kHeader + 37], 172);
}

TEST_F(KlangorCli, RangeEndsAreAccepted) {
    writeFile(dir.file("ends.syx"),
              setValues({"effect=127", "A.pan=4", "C.lfo_delay=99", "level_vector.1.x=-31",
                         "D.block.6=255", "B.wave=0", "release_offset=-99"}));
    const std::string json = run({"decode", dir.file("ends.syx")}).out;
    EXPECT_EQ(values(json, "effect"), std::vector<int>{127});
    EXPECT_EQ(values(json, "pan").at(0), 4);
    EXPECT_EQ(values(json, "lfo_delay").at(2), 99);
    EXPECT_EQ(values(json, "wave").at(1), 0);
    EXPECT_EQ(values(json, "release_offset"), std::vector<int>{-99});
    EXPECT_NE(json.find("[30, -31, -12]"), std::string::npos); // step 1 keeps time and y
    EXPECT_NE(json.find(", 1, 255, "), std::string::npos);     // D's block: flag, then 255
}

TEST_F(KlangorCli, BadAssignmentsWriteNothing) {
    const std::string out = dir.file("out.syx");
    // What stderr must say about each; a name that does not exist or a malformed assignment is a
    // usage error (2), a value the field cannot take a data error (1).
    const std::vector<std::pair<std::string, std::string>> bad = {
        {"A.nonsense=1", "unknown value \"A.nonsense\""},
        {"nonsense=1", "unknown value \"nonsense\""},
        {"E.volume=1", "unknown value \"E.volume\""},
        {"A.block.0=1", "unknown value \"A.block.0\""},
        {"D.block.21=1", "FM block index must be 0..20"},
        {"B.block.3=5", "B.block.3 is written from B.tone_level; set that instead"},
        {"D.block.5=1", "D.block.5 is written from D.block.6; set that instead"},
        {"level_vector.50.x=1", "vector step must be 0..49"},
        {"level_vector.0.z=1", "unknown value \"level_vector.0.z\""},
        {"effect=128", "effect must be 0..127, not 128"},
        {"effect=-1", "effect must be 0..127, not -1"},
        {"effect=300", "effect must be 0..127, not 300"},
        {"effect=99999999999", "effect must be 0..127, not 99999999999"},
        {"effect=abc", "effect must be a whole number 0..127, not \"abc\""},
        {"effect=12x", "effect must be a whole number 0..127, not \"12x\""},
        {"effect=", "effect must be a whole number 0..127, not \"\""},
        {"effect=1.5", "effect must be a whole number 0..127, not \"1.5\""},
        {"A.pan=5", "A.pan must be 0..4, not 5"},
        {"A.pan=-2147483648", "A.pan must be 0..4, not -2147483648"},
        {"A.lfo_delay=150", "A.lfo_delay must be 0..99, not 150"},
        {"level_vector.7.x=32", "level_vector.7.x must be -31..31, not 32"},
        {"D.block.13=100", "D.block.13 must be 0..99, not 100"},
        {"B.tone_level=-", "B.tone_level must be a whole number 0..99, not \"-\""},
        {"detune_vector.speed=x", "detune_vector.speed must be a whole number 0..1270"},
        {"effect", "expected NAME=VALUE"},
        {"name=ABCDEFGHI", "at most 8 characters"},
    };
    for (const auto& [assignment, message] : bad) {
        SCOPED_TRACE(assignment);
        // A good assignment before the bad one must not get written either.
        const Result r = run({"set", kInitial, "effect=37", assignment, "-o", out});
        const bool refusedValue = message.find(' ') == message.find(" must be "); // "NAME must be"
        EXPECT_EQ(r.status, refusedValue ? 1 : 2);
        EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
        EXPECT_FALSE(exists(out));
    }

    const Bytes earlier = {1, 2, 3};
    writeFile(out, earlier);
    EXPECT_EQ(run({"set", kInitial, "A.nonsense=1", "-o", out}).status, 2);
    EXPECT_EQ(run({"set", kInitial, "effect=300", "-o", out}).status, 1);
    EXPECT_EQ(readFile(out), earlier);
    EXPECT_EQ(run({"set", kInitial, "effect=37"}).status, 2); // no -o
}

// ---- encode ------------------------------------------------------------------------------------

TEST_F(KlangorCli, EncodeOfDecodedJsonGivesTheSameBytes) {
    const std::string made = dir.file("made.syx");
    writeFile(made, setValues({"name=Brassy", "effect=26", "B.tone_level=80", "D.block.6=200",
                               "aftertouch_pitch=-1", "level_vector.3.time=254",
                               "detune_vector.0.x=-31"}));
    const std::string marked = voiceWith("marked.syx", {{55, 1}});
    const std::string out = dir.file("encoded.syx");
    for (const std::string& voice : {kInitial, made, marked}) {
        for (const std::string form : {"pretty", "--lines"}) {
            SCOPED_TRACE(voice + " " + form);
            const std::string json = dir.file("voice.json");
            std::vector<std::string> decode = {"decode", voice};
            if (form == "--lines") decode.push_back(form);
            const Result decoded = run(decode);
            ASSERT_EQ(decoded.status, 0) << decoded.err;
            writeFile(json, Bytes(decoded.out.begin(), decoded.out.end()));
            std::filesystem::remove(out);
            // The lines come through stdin, as from a pipe.
            const Result r = form == "--lines"
                                 ? run({"--data", kDataDir, "encode", "-", "-o", out},
                                       "exec <" + quote(json) + "; ")
                                 : run({"--data", kDataDir, "encode", json, "-o", out});
            ASSERT_EQ(r.status, 0) << r.err;
            EXPECT_EQ(readFile(out), setValues({}, voice)); // what opening and saving writes
        }
    }
}

TEST_F(KlangorCli, EncodeRefusesWhatIsNotAVoiceNamingTheField) {
    const std::string pretty = run({"decode", kInitial}).out;
    // Each case changes one piece of the decoded voice.
    const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
        {"\"effect\": 49", "\"effect\": 128", "effect must be 0..127, not 128"},
        {"\"pan\": 2", "\"pan\": 5", "A.pan must be 0..4, not 5"},
        {"\"tone_level\": 54", "\"tone_level\": -1", "B.tone_level must be 0..99, not -1"},
        {"[30, 18, -12]", "[30, 32, -12]", "level_vector.1.x must be -31..31, not 32"},
        {"\"speed\": 40", "\"speed\": 1.5", "level_vector.speed must be a whole number"},
        {"\"effect\": 49", "\"effect\": \"49\"",
         "effect must be a whole number 0..127, not a text"},
        {"\"effect\": 49", "\"efect\": 49", "unknown value \"efect\""},
        {"\"Init Pad\"", "\"Init Pad 2\"", "a voice name has at most 8 characters"},
        {"\"effect\": 49", "\"effect\" 49", "not the JSON of a voice: ':' was expected"},
        {"\n}\n", "\n}\n{}", "more than one voice"},
        {"\n}\n", "", "',' or '}' was expected"},
        {"{", "{\"\\u0100\": 1, ", "a character outside a voice name's bytes"},
    };
    const std::string json = dir.file("bad.json");
    const std::string out = dir.file("out.syx");
    for (const auto& [from, to, message] : cases) {
        SCOPED_TRACE(to);
        std::string text = pretty;
        const std::size_t at = text.find(from);
        ASSERT_NE(at, std::string::npos);
        text.replace(at, from.size(), to);
        writeFile(json, Bytes(text.begin(), text.end()));
        const Result r = run({"--data", kDataDir, "encode", json, "-o", out});
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("klangor-cli: " + json + ": "), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
        EXPECT_FALSE(exists(out));
    }
    // A failed file's line of decode is no voice.
    const std::string missing = dir.file("missing.syx");
    const std::string line = run({"decode", "--lines", missing}).out;
    writeFile(json, Bytes(line.begin(), line.end()));
    const Result r = run({"--data", kDataDir, "encode", json, "-o", out});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("the line holds no voice: Cannot read"), std::string::npos) << r.err;
    EXPECT_FALSE(exists(out));
}

// ---- preset ------------------------------------------------------------------------------------

TEST_F(KlangorCli, PresetLoadsTheListLineAndClearsTheMarker) {
    std::vector<Bytes> lines(1);
    for (std::uint8_t c : readFile(kDataDir + "/morvex.lst")) {
        if (c == '\n')
            lines.emplace_back();
        else if (c != '\r')
            lines.back().push_back(c >= 200 ? c - 200 : c);
    }
    ASSERT_GE(lines.size(), 256u);

    // Both markers set: only the element the preset goes to gets cleared.
    const std::string in = voiceWith("marked.syx", {{55, 1}, {129, 1}});
    struct Case {
        std::string element;
        int index, block, marker, otherMarker, wave;
    };
    for (const Case& c : {Case{"B", 0, 62, 55, 129, 1}, Case{"D", 255, 136, 129, 55, 3}}) {
        SCOPED_TRACE(c.element);
        const std::string out = dir.file("preset-" + c.element + ".syx");
        const Result r =
            run({"--data", kDataDir, "preset", in, std::to_string(c.index), c.element, "-o", out});
        ASSERT_EQ(r.status, 0) << r.err;
        const Bytes file = readFile(out);
        ASSERT_EQ(file.size(), 592u);
        const Bytes& line = lines[c.index];
        ASSERT_GE(line.size(), 21u);
        for (int i : {1, 2, 4, 7, 8, 9, 10, 11, 12, 17, 18, 20})
            EXPECT_EQ(file[kHeader + c.block + i], line[i]) << "block byte " << i;
        EXPECT_EQ(file[kHeader + c.marker], 0);
        EXPECT_EQ(file[kHeader + c.otherMarker], 1);
        EXPECT_EQ(values(run({"decode", out}).out, "wave").at(c.wave), c.index);
    }
}

TEST_F(KlangorCli, PresetFailuresWriteNothing) {
    const std::string out = dir.file("out.syx");
    // An empty folder: no preset list.
    const Result noList =
        run({"--data", dir.path().string(), "preset", kInitial, "3", "B", "-o", out});
    EXPECT_EQ(noList.status, 1);
    EXPECT_NE(noList.err, "");
    EXPECT_FALSE(exists(out));

    for (const auto& [index, element] : std::vector<std::pair<std::string, std::string>>{
             {"256", "B"}, {"-1", "D"}, {"x", "B"}, {"3", "A"}, {"3", "C"}, {"3", "b"}}) {
        SCOPED_TRACE(index + " " + element);
        const Result r = run({"--data", kDataDir, "preset", kInitial, index, element, "-o", out});
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.err, "");
        EXPECT_FALSE(exists(out));
    }
}

// ---- over the MIDI bus -------------------------------------------------------------------------

class KlangorCliMidi : public KlangorCli {
protected:
    void SetUp() override {
        ASSERT_TRUE(peer.isOpen()) << "no MIDI bus: run the tests through ctest";
        device = peer.outputIndex();
        ASSERT_GE(device, 0);
    }
    const std::string portName = MidiInputPeer::uniqueName("Morvex In");
    MidiInputPeer peer{portName};
    int device = -1;
};

TEST_F(KlangorCliMidi, PortsListsThePeer) {
    const Result r = run({"ports"});
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string prefix = "\n" + std::to_string(device) + ": ";
    const std::size_t line = ("\n" + r.out).find(prefix);
    ASSERT_NE(line, std::string::npos) << r.out;
    EXPECT_NE(r.out.substr(line).find("Morvex In"), std::string::npos) << r.out;
}

TEST_F(KlangorCliMidi, SendDeliversTheSavedDumpByteForByte) {
    // A voice with a 26 and a marked B element: the wire carries what a save would write, with
    // the file's 226 back as 26.
    const std::string voice = dir.file("voice.syx");
    writeFile(voice, setValues({"effect=26"}, voiceWith("marked.syx", {{55, 1}})));
    Bytes expected = setValues({}, voice);
    ASSERT_EQ(expected.size(), 592u);
    for (std::uint8_t& byte : expected)
        if (byte == 226) byte = 26;

    const Result r = run({"send", voice, "--to", std::to_string(device)});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<Bytes> received = peer.waitForMessages(1, 5s);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0], expected);
    EXPECT_EQ(received[0][kHeader + 2], 26);
}

TEST_F(KlangorCliMidi, PortsAreFoundByNumberOrNameAndTheDeviceNumberGoesIntoTheMessage) {
    // The peer's name in another case, and a unique part of it, find it as its number does.
    std::string part = portName;
    std::transform(part.begin(), part.end(), part.begin(), ::tolower);
    struct Case {
        std::vector<std::string> args;
        int status;
        std::uint8_t deviceByte; // byte 2 of what arrives
    };
    const Case cases[] = {
        {{"send", kInitial, "--to", std::to_string(device)}, 0, 0x00},
        {{"send", kInitial, "--out", part, "--device", "5"}, 0, 0x05},
        {{"request", "--out", part}, 0, 0x20},
        {{"request", "--to", std::to_string(device), "--device", "15"}, 0, 0x2F},
        {{"send", kInitial, "--to", "99"}, 4, 0},
        {{"request", "--out", "no such port"}, 4, 0},
        {{"receive", "-o", dir.file("r.syx"), "--out", "no such port"}, 4, 0},
        {{"receive", "-o", dir.file("r.syx"), "--out", part, "--in", "no such port"}, 4, 0},
    };
    std::size_t sent = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + c.args[c.args.size() - 1]);
        const Result r = run(c.args);
        EXPECT_EQ(r.status, c.status) << r.err;
        if (c.status != 0) {
            EXPECT_NE(r.err.find("MIDI"), std::string::npos) << r.err;
            EXPECT_FALSE(exists(dir.file("r.syx")));
            continue;
        }
        const std::vector<Bytes> received = peer.waitForMessages(++sent, 5s);
        ASSERT_EQ(received.size(), sent);
        EXPECT_EQ(received.back().at(2), c.deviceByte);
    }

    // A part of two ports' names finds neither and names both.
    const std::string otherName = MidiInputPeer::uniqueName("Morvex In");
    MidiInputPeer other{otherName};
    const Result ambiguous = run({"send", kInitial, "--out", part.substr(0, part.rfind('-'))});
    EXPECT_EQ(ambiguous.status, 4);
    EXPECT_NE(ambiguous.err.find("it could be any of:"), std::string::npos) << ambiguous.err;
    EXPECT_NE(ambiguous.err.find(portName + "\""), std::string::npos) << ambiguous.err;
    EXPECT_NE(ambiguous.err.find(otherName + "\""), std::string::npos) << ambiguous.err;
}

TEST_F(KlangorCliMidi, SendWithoutDeviceUsesTheDeviceFile) {
    const std::string data = dir.file("data");
    std::filesystem::create_directory(data);
    std::ofstream(data + "/morvex.dev") << device << "\n";
    const Result r = run({"--data", data, "send", kInitial});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<Bytes> received = peer.waitForMessages(1, 5s);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0], readFile(kInitial));
}

TEST_F(KlangorCliMidi, SendToAMissingDeviceSaysNothingWasSent) {
    const Result r = run({"send", kInitial, "--to", "99"});
    EXPECT_EQ(r.status, 4);
    EXPECT_NE(r.err.find("nothing was sent"), std::string::npos) << r.err;
    EXPECT_TRUE(peer.waitForMessages(1, 200ms).empty());
}

TEST_F(KlangorCliMidi, APauseIsCheckedAndKeepsTheToolUntilTheDumpLeftACableAndThePause) {
    for (const std::string pause : {"-1", "501", "20ms", ""}) {
        SCOPED_TRACE(pause);
        const Result r = run({"send", kInitial, "--to", std::to_string(device), "--pause", pause});
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.err.find("--pause"), std::string::npos) << r.err;
    }
    EXPECT_TRUE(peer.waitForMessages(1, 50ms).empty());

    const auto start = std::chrono::steady_clock::now();
    const Result r = run({"send", kInitial, "--to", std::to_string(device), "--pause", "100"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_GE(std::chrono::steady_clock::now() - start, 592 * 1000ms / 3125 + 100ms);
    EXPECT_EQ(peer.waitForMessages(1, 5s).size(), 1u);
}

TEST_F(KlangorCliMidi, RequestSendsTheFifteenFixedBytes) {
    const Result r = run({"request", "--to", std::to_string(device)});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<Bytes> received = peer.waitForMessages(1, 5s);
    ASSERT_EQ(received.size(), 1u);
    const Bytes expected = {0xF0, 0x43, 0x20, 0x7E, 0x50, 0x48, 0x20, 0x20,
                            0x32, 0x32, 0x30, 0x33, 0x41, 0x45, 0xF7};
    EXPECT_EQ(received[0], expected);
}

TEST_F(KlangorCli, ReceiveWritesTheSynthesizersVoiceOrNothing) {
    const std::string voice = dir.file("held.syx");
    writeFile(voice, setValues({"name=Received", "effect=26"}));
    struct Case {
        std::string fault;
        std::string device; // the device number the CLI asks for; the synthesizer's is 5
        int status;
        std::string says;
    };
    const std::string silence = "The Morvex did not answer within";
    const Case cases[] = {
        {"none", "5", 0, ""},
        {"wrong-type-first", "5", 0, ""}, // another message first is skipped
        {"bad-check", "5", 1, "The Morvex sent a damaged voice: check bytes do not fit"},
        {"short", "5", 1, "The Morvex sent a damaged voice"},
        {"silent", "5", 3, silence},
        {"none", "3", 3, silence}, // a request for another device is not answered
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault + " to device " + c.device);
        testing_support::EmulatorProcess synth;
        ASSERT_TRUE(synth.start(MIDI_EMULATOR, "morvex",
                                {"--device", "5", "--voice", voice, "--fault", c.fault},
                                dir.file("emulator.log")));
        const std::string out = dir.file("received-" + c.fault + c.device + ".syx");
        const Result r = run({"receive", "-o", out, "--device", c.device, "--out", synth.inPort(),
                              "--timeout", c.says == silence ? "300" : "3000"});
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        if (c.status != 0) {
            EXPECT_FALSE(exists(out));
            continue;
        }
        const Bytes held = readFile(voice);
        const Bytes received = readFile(out);
        ASSERT_EQ(received.size(), 592u);
        EXPECT_EQ(received[2], 5); // the synthesizer's device number, as it sent it
        EXPECT_TRUE(std::equal(held.begin() + kHeader, held.end(), received.begin() + kHeader));
    }
}

} // namespace
