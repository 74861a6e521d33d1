#include "morvex/VoiceFile.h"
#include "morvex/Checksum.h"
#include "morvex/ParameterMap.h"
#include "morvex/Transmission.h"
#include "morvex/VoiceCodec.h"
#include "testing/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>

using namespace morvex;
namespace fs = std::filesystem;
using ByteVector = std::vector<std::uint8_t>;

namespace {

// A dump as the synthesizer sends it: F0 43 ... F7, 592 bytes, values below 128 in between, with a
// few 26 to exercise the file form.
ByteVector randomDump(unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> byte(0, 127);
    ByteVector dump(kDumpSize);
    for (auto& b : dump) b = static_cast<std::uint8_t>(byte(random));
    dump[0] = 0xF0;
    dump[1] = 0x43;
    dump[5] = dump[16 + 84] = dump[16 + 200] = 26;
    dump[kDumpSize - 1] = 0xF7;
    return dump;
}

ByteVector asFile(ByteVector dump) {
    std::replace(dump.begin(), dump.end(), std::uint8_t{26}, std::uint8_t{226});
    return dump;
}

void writeFile(const std::string& path, const ByteVector& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

ByteVector readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A Standard MIDI File whose one track holds `event` (F0 and what follows it) at delta time 0.
ByteVector standardMidiFile(const ByteVector& event) {
    ByteVector file = {'M',  'T',  'h', 'd', 0,   0,   0, 6, 0,    0,    0,   1,
                       0x01, 0xE0, 'M', 'T', 'r', 'k', 0, 0, 0x02, 0x58, 0x00};
    // Room made first: GCC 12 at -O3 takes the growing insert for a copy out of bounds.
    file.reserve(file.size() + event.size());
    file.insert(file.end(), event.begin(), event.end());
    return file;
}

// A whole, valid dump of the voice named `name` (8 characters), in the file form.
ByteVector voiceMessage(const std::string& name) {
    MorvexState state;
    EXPECT_FALSE(LoadVoiceFile(state, KLANGOR_DATA_DIR "/initial.syx"));
    std::copy(name.begin(), name.end(), state.voiceData.begin() + kVoiceNameOffset);
    UpdateChecksum(state.voiceData);
    state.voiceData.back() = 0xF7;
    return voiceFileBytes(state);
}

ByteVector concat(std::initializer_list<ByteVector> parts) {
    ByteVector all;
    for (const ByteVector& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

std::string loadedName(const MorvexState& state) {
    const auto name = state.voiceData.begin() + kVoiceNameOffset;
    return std::string(name, name + kVoiceNameLength);
}

TEST(VoiceFile, LoadSkipsToF0ReadsTheFileFormOf26AndSwitchesElementsOn) {
    testing_support::TempDir dir;
    const ByteVector dump = randomDump(1);
    ByteVector file = {0x00, 0x7F, 0x90};
    const ByteVector stored = asFile(dump);
    file.insert(file.end(), stored.begin(), stored.end());
    writeFile(dir.file("v.syx"), file);

    MorvexState s;
    s.voiceData[572] = 11;
    s.voiceData[575] = 14;
    s.elementSwitch = {0, 1, 0, 0};
    ASSERT_FALSE(LoadVoiceFile(s, dir.file("v.syx")));
    EXPECT_TRUE(std::equal(s.dumpHeader.begin(), s.dumpHeader.end(), dump.begin()));
    EXPECT_TRUE(std::equal(s.voiceData.begin(), s.voiceData.begin() + 572, dump.begin() + 16));
    EXPECT_EQ(s.voiceData[572], 11); // check bytes are recomputed on save, not read
    EXPECT_EQ(s.voiceData[575], 14);
    EXPECT_EQ(s.elementSwitch, (std::array<std::uint8_t, 4>{1, 1, 1, 1}));
}

TEST(VoiceFile, TooLittleAfterF0IsAnErrorAndChangesNothing) {
    const ByteVector dump = randomDump(2);
    EXPECT_TRUE(parseVoiceFile(ByteVector(dump.begin(), dump.begin() + 588)).ok);
    EXPECT_FALSE(parseVoiceFile(ByteVector(dump.begin(), dump.begin() + 587)).ok);
    EXPECT_FALSE(parseVoiceFile(ByteVector{0xF0}).ok);

    testing_support::TempDir dir;
    ByteVector noF0 = dump;
    noF0[0] = 0x70;
    writeFile(dir.file("none.syx"), noF0);
    writeFile(dir.file("short.syx"), ByteVector(dump.begin(), dump.begin() + 587));
    for (const char* name : {"none.syx", "short.syx", "missing.syx"}) {
        SCOPED_TRACE(name);
        MorvexState s;
        s.voiceData.fill(5);
        s.dumpHeader.fill(6);
        s.elementSwitch = {1, 0, 1, 0};
        const MorvexState before = s;
        const Status status = LoadVoiceFile(s, dir.file(name));
        ASSERT_TRUE(status);
        EXPECT_EQ(status->caption, "Fehler");
        EXPECT_FALSE(status->text.empty());
        EXPECT_EQ(s.voiceData, before.voiceData);
        EXPECT_EQ(s.dumpHeader, before.dumpHeader);
        EXPECT_EQ(s.elementSwitch, before.elementSwitch);
    }
}

TEST(VoiceFile, StandardMidiFileWithAndWithoutSysExLength) {
    const ByteVector dump = randomDump(3);
    for (bool withLength : {true, false}) {
        // Header chunk, track chunk, delta time 0, then the SysEx event.
        ByteVector event = {0xF0};
        if (withLength) event.insert(event.end(), {0x84, 0x4F}); // 591, variable-length
        event.insert(event.end(), dump.begin() + 1, dump.end());
        const ByteVector file = standardMidiFile(event);
        const ParsedVoiceFile parsed = parseVoiceFile(file);
        ASSERT_TRUE(parsed.ok) << withLength;
        EXPECT_TRUE(std::equal(parsed.dump.header.begin(), parsed.dump.header.end(), dump.begin()));
        EXPECT_TRUE(std::equal(parsed.dump.parameters.begin(), parsed.dump.parameters.end(),
                               dump.begin() + 16));
    }
}

TEST(VoiceFile, FilesOfSeveralSysExMessages) {
    const ByteVector identity = {0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7};
    const ByteVector request(kDumpRequest.begin(), kDumpRequest.end());
    const ByteVector foreign = {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0xF7};
    ByteVector damaged = voiceMessage("Broken  ");
    damaged[kDumpHeaderSize + kVoiceNameOffset] += 1; // the check bytes no longer fit
    ByteVector sent = voiceMessage("  Sent  ");
    std::replace(sent.begin(), sent.end(), std::uint8_t{226}, std::uint8_t{26});
    // A saved voice keeps a byte above 127 that the range check reported: F0 here.
    ByteVector outOfRange = voiceMessage("Wild    ");
    outOfRange[kDumpHeaderSize + 200] = 0xF0;

    struct Case {
        const char* what;
        ByteVector file;
        std::optional<int> pick; // what the chooser answers
        std::string voice;       // the name taken; empty: none
        std::string note;
        std::string problem; // after the quoted path
        std::vector<std::pair<int, std::string>> offered;
    };
    const Case cases[] = {
        {"one dump, as ever", voiceMessage("Solo    "), 0, "Solo    ", "", "", {}},
        {"one dump with a byte above 127", outOfRange, 0, "Wild    ", "", "", {}},
        {".mid, as ever", standardMidiFile(voiceMessage("Midi    ")), 0, "Midi    ", "", "", {}},
        {"the voice second of three",
         concat({identity, sent, foreign}),
         0,
         "  Sent  ",
         "voice 2 of 3 messages in the file",
         "",
         {}},
        {"no valid voice, the first four named",
         concat({identity, damaged, foreign, {0xF0, 0x43, 0x10}, request}),
         0,
         "",
         "",
         "holds 5 SysEx messages but no Morvex voice: a 6-byte message (F0 7E 7F 06 ...), a "
         "damaged voice dump (check bytes do not fit: the sum is 89 modulo 128, not 88), an "
         "8-byte message (F0 41 10 42 ...), a 3-byte message without F7 (F0 43 10), and 1 more",
         {}},
        {"several voices, the second chosen",
         concat({voiceMessage("One     "), request, sent, voiceMessage("Three   ")}),
         1,
         "  Sent  ",
         "voice 3 of 4 messages in the file",
         "",
         {{1, "One"}, {3, "Sent"}, {4, "Three"}}},
        {"several voices, none chosen",
         concat({voiceMessage("One     "), sent}),
         std::nullopt,
         "",
         "",
         "",
         {{1, "One"}, {2, "Sent"}}},
    };

    testing_support::TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = dir.file("bank.syx");
        writeFile(path, c.file);
        MorvexState s;
        s.voiceData.fill(5);
        s.elementSwitch = {1, 0, 1, 0};
        const MorvexState before = s;
        std::vector<std::pair<int, std::string>> offered;
        const LoadedVoiceFile loaded =
            LoadVoiceFile(s, path, [&](const std::vector<VoiceInFile>& voices) {
                for (const VoiceInFile& v : voices) offered.emplace_back(v.position, v.name);
                return c.pick;
            });

        EXPECT_EQ(offered, c.offered);
        EXPECT_EQ(loaded.note, c.note);
        EXPECT_EQ(loaded.problem ? loaded.problem->text : "",
                  c.problem.empty() ? "" : "\"" + path + "\" " + c.problem + ".");
        EXPECT_EQ(loaded.cancelled, !c.pick);
        if (c.voice.empty()) {
            EXPECT_FALSE(loaded);
            EXPECT_EQ(s.voiceData, before.voiceData);
            EXPECT_EQ(s.elementSwitch, before.elementSwitch);
        } else {
            EXPECT_TRUE(loaded);
            EXPECT_EQ(loadedName(s), c.voice);
            EXPECT_EQ(s.elementSwitch, (std::array<std::uint8_t, 4>{1, 1, 1, 1}));
        }
    }

    // Without a chooser the first voice is taken, as the command-line tool does.
    writeFile(dir.file("two.syx"), concat({request, voiceMessage("First   "), sent}));
    MorvexState s;
    ASSERT_FALSE(LoadVoiceFile(s, dir.file("two.syx")));
    EXPECT_EQ(loadedName(s), "First   ");
}

TEST(VoiceFile, LoadEditSaveKeepsHeaderAndUntouchedBytes) {
    testing_support::TempDir dir;
    const ByteVector original = asFile(randomDump(5));
    writeFile(dir.file("v.syx"), original);
    MorvexState s;
    ASSERT_FALSE(LoadVoiceFile(s, dir.file("v.syx")));
    DecodeVoice(s);
    EncodeVoice(s);
    VoiceBytes expected = s.voiceData;
    UpdateChecksum(expected);
    expected[575] = 0xF7;
    ASSERT_FALSE(SaveVoiceFile(s, dir.file("v.syx"))); // over the file it came from

    EXPECT_EQ(s.voiceData, expected);
    EXPECT_EQ(s.voiceData[84], 26); // memory keeps 26, the file has 226
    const ByteVector out = readFile(dir.file("v.syx"));
    ASSERT_EQ(out.size(), 592u);
    EXPECT_EQ(out, voiceFileBytes(s));
    EXPECT_EQ(out[16 + 84], 226);
    EXPECT_EQ(out.back(), 0xF7);
    EXPECT_TRUE(std::equal(out.begin(), out.begin() + 16, original.begin()));
    for (int n : {0, 1, 27, 29, 35, 57, 101, 103, 109, 131, 571})
        EXPECT_EQ(out[16 + n], original[16 + n]) << n;

    const ByteVector sent = dumpBytes(s);
    ASSERT_EQ(sent.size(), 592u);
    EXPECT_EQ(sent[16 + 84], 26);
    EXPECT_EQ(sent.back(), 0xF7);
}

TEST(VoiceFile, FailedSaveLeavesNothingBehind) {
    testing_support::TempDir dir;
    MorvexState s;
    // These fail for root too: a regular file as parent, a missing folder, a folder as target.
    writeFile(dir.file("plain"), ByteVector{1, 2, 3});
    EXPECT_TRUE(SaveVoiceFile(s, dir.file("plain") + "/v.syx"));
    EXPECT_TRUE(SaveVoiceFile(s, dir.file("nowhere") + "/v.syx"));
    fs::create_directory(dir.file("taken"));
    writeFile(dir.file("taken") + "/inside", ByteVector{7});
    const Status status = SaveVoiceFile(s, dir.file("taken"));
    ASSERT_TRUE(status);
    EXPECT_EQ(status->caption, "Fehler");

    EXPECT_EQ(readFile(dir.file("plain")), (ByteVector{1, 2, 3}));
    EXPECT_EQ(readFile(dir.file("taken") + "/inside"), ByteVector{7});
    // No half-written or temporary file anywhere.
    EXPECT_EQ(std::distance(fs::recursive_directory_iterator(dir.path()),
                            fs::recursive_directory_iterator()),
              3);
}

} // namespace
