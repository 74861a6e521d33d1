// midi-emulator as the suite's programs meet it: the real binary started as a child process, heard
// over the private MIDI bus through Wirebox (as the Pulvex program talks to the module) and fed by
// klangor-cli (as the Morvex editor sends a voice). Replies are decoded here, by rules written
// independently of the emulator's encoder, so that a fault shared by both cannot hide.

#include "ChildProcess.h"
#include "midi/Backend.h"
#include "testing/MidiPeer.h"
#include "testing/TempDir.h"
#include "wirebox/Wirebox.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

using namespace std::chrono_literals;
using testing_support::Bytes;
using namespace emulator_tests;
using Clock = std::chrono::steady_clock;

namespace {

const std::string kInitialVoice = std::string(KLANGOR_DATA_DIR) + "/initial.syx";
const std::string kModel = "LM  0087";
constexpr std::size_t kRecord = 72;     // one voice of a decoded name list
constexpr std::size_t kVoiceData = 16;  // offset of VoiceData 0 in a Morvex dump
constexpr std::size_t kCheckByte = 573; // one of the three check bytes among VoiceData
const Bytes kDumpRequest = {0xF0, 0x43, 0x20, 0x7E, 'P', 'H', ' ', ' ',
                            '2',  '2',  '0',  '3',  'A', 'E', 0xF7};

// ---- the Pulvex requests and the decoding of its replies ----

Bytes nameListRequest(const char* type, int device = 0) {
    Bytes m = {0xF0, 0x43, std::uint8_t(0x20 | device), 0x7E};
    m.reserve(16); // room first: GCC 12 at -O3 takes the growing inserts for overflows
    m.insert(m.end(), kModel.begin(), kModel.end());
    m.insert(m.end(), type, type + 2);
    m.push_back(0xF7);
    return m;
}

Bytes kitRequest(int bankCode, int kit, int device = 0) {
    Bytes m = {0xF0, 0x43, std::uint8_t(0x20 | device), 0x7A};
    m.reserve(32);
    m.insert(m.end(), kModel.begin(), kModel.end());
    m.insert(m.end(), {'K', 'T'});
    m.insert(m.end(), 12, 0x00);
    m.insert(m.end(), {std::uint8_t(bankCode), std::uint8_t(kit - 1), 0x00, 0x00, 0xF7});
    return m;
}

std::string typeOf(const Bytes& reply) {
    return reply.size() > 16 ? std::string(reply.begin() + 14, reply.begin() + 16) : "";
}

// The data of a reply, block by block, as the Pulvex program decodes it. Digits outside 0-9 A-F
// and blocks that overrun the message are faults of the sender, so they fail the test here.
Bytes decode(const Bytes& m) {
    Bytes data;
    long undecoded = static_cast<long>(m.size()) - 4;
    std::size_t block = 4;
    while (undecoded > 12 && block + 12 <= m.size()) {
        if (std::string(m.begin() + long(block) + 2, m.begin() + long(block) + 10) != kModel) break;
        const bool voiceList = m[block + 10] == 'V' && m[block + 11] == 'I';
        const long n = m[block] * 128 + m[block + 1] - 10 + (voiceList ? 1008 : 0);
        const std::size_t start = block + 12;
        if (n < 0 || start + std::size_t(n) + 1 >= m.size()) {
            ADD_FAILURE() << "a block at " << block << " claims " << n << " digits";
            break;
        }
        for (long i = 0; i < n; ++i) {
            const std::uint8_t c = m[start + std::size_t(i)];
            if (!std::isdigit(c) && (c < 'A' || c > 'F')) ADD_FAILURE() << "digit " << int(c);
            const int value = c > '9' ? c - 0x37 : c - 0x30;
            if (i % 2 == 0)
                data.push_back(std::uint8_t(value << 4));
            else
                data.back() = std::uint8_t(data.back() | value);
        }
        block = start + std::size_t(n) + 1;
        undecoded -= 12 + n + 1;
    }
    return data;
}

// A reply must be one well-formed SysEx message: a data byte of 80h or more would cut it short.
void expectFrame(const Bytes& reply, const std::string& type) {
    ASSERT_GT(reply.size(), 16u);
    EXPECT_EQ(reply[0], 0xF0);
    EXPECT_EQ(reply[1], 0x43);
    EXPECT_EQ(reply.back(), 0xF7);
    EXPECT_EQ(typeOf(reply), type);
    EXPECT_TRUE(std::all_of(reply.begin() + 1, reply.end() - 1, [](auto b) { return b < 0x80; }));
}

// The data of a reply of the given type; nothing, and a failure, when no reply came.
Bytes decoded(const std::optional<Bytes>& reply, const std::string& type) {
    if (!reply) {
        ADD_FAILURE() << "no " << type << " reply";
        return {};
    }
    expectFrame(*reply, type);
    return decode(*reply);
}

std::vector<std::string> recordNames(const Bytes& list) {
    std::vector<std::string> names;
    for (std::size_t at = 0; at + kRecord <= list.size(); at += kRecord)
        names.emplace_back(list.begin() + long(at) + 9, list.begin() + long(at) + 17);
    return names;
}

std::string kitName(const Bytes& kit) {
    if (kit.size() < 17) return std::string("(").append(std::to_string(kit.size())) + " bytes)";
    const std::string raw(kit.begin() + 8, kit.begin() + 17);
    return raw.substr(0, raw.find('\0'));
}

int kitSound(const Bytes& kit, int entry) {
    return ((kit.at(31 + 3 * entry) & 0x0F) << 8) | kit.at(32 + 3 * entry);
}

// ---- files and processes ----

Bytes readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A Morvex voice file holds 26 as 226; the wire carries 26.
Bytes voiceFromFile(const std::string& path) {
    Bytes bytes = readFile(path);
    std::replace(bytes.begin(), bytes.end(), std::uint8_t{226}, std::uint8_t{26});
    return bytes;
}

bool listed(midi::Direction direction, const std::string& port) {
    return midi::indexOf(midi::service().ports(direction), port) >= 0;
}

std::optional<Bytes> receive() {
    std::uint32_t length = 0;
    unsigned char* block = MidiReceive(&length);
    if (!block) return std::nullopt;
    Bytes message(block, block + length);
    DiscardMidiMessage(block);
    return message;
}

std::optional<Bytes> ask(const Bytes& request) {
    EXPECT_EQ(MidiTransmit(std::uint32_t(request.size()), request.data()), 1);
    return receive();
}

// A log line: its direction ("in", "out") and the bytes it shows.
using LogLine = std::pair<std::string, Bytes>;

std::vector<LogLine> readLog(const std::string& path) {
    std::vector<LogLine> lines;
    std::istringstream text(readText(path));
    for (std::string line; std::getline(text, line);) {
        std::istringstream words(line);
        std::string time, byte;
        LogLine entry;
        words >> time >> entry.first;
        while (words >> byte) entry.second.push_back(std::uint8_t(std::stoi(byte, nullptr, 16)));
        lines.push_back(entry);
    }
    return lines;
}

class MidiEmulator : public ::testing::Test {
protected:
    void TearDown() override {
        CloseMidi();
        SetTimeOut(5000);
        if (pid > 0) stopProcess(pid, 5s);
    }

    // Starts `midi-emulator ARGS --name <unique>`, waits for both of its ports and opens Wirebox
    // on them.
    bool launch(std::vector<std::string> args) {
        name = testing_support::MidiInputPeer::uniqueName("Emu");
        inPort = name + " In:MIDI In";
        outPort = name + " Out:MIDI Out";
        args.insert(args.begin(), MIDI_EMULATOR);
        args.insert(args.end(), {"--name", name});
        pid = spawn(args, stdoutPath, stderrPath);
        if (!midi::service().problem().empty() || pid < 0) {
            ADD_FAILURE() << "no MIDI bus, or no emulator to start";
            return false;
        }
        for (const auto end = Clock::now() + 5s; Clock::now() < end;) {
            if (listed(midi::Direction::Input, outPort) &&
                listed(midi::Direction::Output, inPort)) {
                SetTimeOut(3000);
                // JACK names a client's socket by the client's name alone, so a "Wirebox" client
                // that another process opens at the same moment, on any server, can make this
                // open fail: that says nothing about the emulator, so try again.
                for (int attempt = 0; attempt < 3; ++attempt, std::this_thread::sleep_for(300ms))
                    if (OpenMidi(nullptr, 0, outPort.c_str(), inPort.c_str()) == 1) return true;
                ADD_FAILURE() << "Wirebox cannot open the emulator's ports";
                return false;
            }
            if (const int status = waitForExit(pid, 50ms); status != kStillRunning) {
                pid = -1;
                ADD_FAILURE() << "exited with " << status << ": " << readText(stderrPath);
                return false;
            }
        }
        ADD_FAILURE() << "its ports never showed";
        return false;
    }

    // Sends a SIGTERM and returns the exit status.
    int stop() {
        kill(pid, SIGTERM);
        const int status = waitForExit(pid, 3s);
        if (status != kStillRunning) pid = -1;
        return status;
    }

    bool portsGone() {
        for (const auto end = Clock::now() + 2s; Clock::now() < end;
             std::this_thread::sleep_for(50ms))
            if (!listed(midi::Direction::Input, outPort) &&
                !listed(midi::Direction::Output, inPort))
                return true;
        return false;
    }

    testing_support::TempDir dir;
    const std::string stdoutPath = dir.file("stdout.txt"), stderrPath = dir.file("stderr.txt");
    // One MIDI session across the test's many listings.
    const std::shared_ptr<void> midiInUse = midi::service().hold();
    std::string name, inPort, outPort;
    pid_t pid = -1;
};

// ---- Pulvex: requests and replies ----

// wirebox-probe is how a user checks a cable and a device: here the device is the emulator.
TEST_F(MidiEmulator, ProbeShowsTheReplyOrSaysThatNoneCame) {
    ASSERT_TRUE(launch({"pulvex"}));
    CloseMidi();
    auto probe = [&](const std::string& device, const std::string& in) {
        const std::string errPath = dir.file("probe-stderr.txt");
        const std::string command =
            std::string("'") + WIREBOX_PROBE + "' send --timeout 1000 --in '" + in + "' --out '" +
            inPort + "' F0 43 " + device +
            " 7A 4C4D2020303038374B54 000000000000000000000000 0000 0000 F7 2>'" + errPath + "'";
        std::string out;
        FILE* pipe = popen(command.c_str(), "r");
        char buffer[4096];
        for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
        const int status = pclose(pipe);
        return std::tuple{WIFEXITED(status) ? WEXITSTATUS(status) : -1, out, readText(errPath)};
    };
    // A part of the input's name, in another case, is enough.
    std::string in = outPort.substr(2);
    for (char& c : in) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const auto [status, out, err] = probe("20", in);
    EXPECT_EQ(status, 0) << err;
    EXPECT_EQ(out.rfind("F0 43 00 7A", 0), 0u) << out;
    EXPECT_EQ(out.substr(out.size() - 3), "F7\n");

    const auto [silent, nothing, why] = probe("25", outPort); // another device number: no answer
    EXPECT_EQ(silent, 3);
    EXPECT_TRUE(nothing.empty());
    EXPECT_NE(why.find("no reply within 1000 ms"), std::string::npos) << why;

    const auto [missing, none, said] = probe("20", "Nowhere");
    EXPECT_EQ(missing, 4);
    EXPECT_EQ(said, "wirebox-probe: no MIDI port is named \"Nowhere\" or has it in its name\n");
}

TEST_F(MidiEmulator, NameListsDecodeToTheInternalAndWaveCardVoices) {
    ASSERT_TRUE(launch({"pulvex"}));
    // The internal list goes in 1008-digit blocks whose count field is 1008 short: the count
    // rule must hold across every block boundary, or the names after it come out shifted.
    const auto internal = recordNames(decoded(ask(nameListRequest("VI")), "VI"));
    ASSERT_GE(internal.size(), 128u);
    EXPECT_EQ(internal[0], "IV Kik01");
    EXPECT_EQ(internal[7], "IV Kik08"); // the first voice of the second block
    EXPECT_EQ(std::count_if(internal.begin(), internal.end(),
                            [](const std::string& n) { return n.starts_with("IV "); }),
              128);
    EXPECT_EQ(std::set(internal.begin(), internal.begin() + 128).size(), 128u);

    const Bytes list = decoded(ask(nameListRequest("VW")), "VW");
    ASSERT_EQ(list.size(), 96 * kRecord);
    const auto names = recordNames(list);
    EXPECT_EQ(names[0], "WC Kik01");
    EXPECT_EQ(std::count_if(names.begin(), names.end(),
                            [](const std::string& n) { return n.starts_with("WC "); }),
              96);
    EXPECT_EQ(std::set(names.begin(), names.end()).size(), 96u);
}

TEST_F(MidiEmulator, KitRequestsAreAnsweredForEveryBankUpToTheLastKit) {
    ASSERT_TRUE(launch({"pulvex"}));
    const Bytes kit = decoded(ask(kitRequest(0x00, 1)), "KT");
    ASSERT_GE(kit.size(), 31u + 3 * 49);
    EXPECT_EQ(kitName(kit), "Rock 1");
    EXPECT_EQ(kitSound(kit, 0), 0);
    // Bank codes are not in menu order (Card 01, Internal 02): a swap shows in the kit names.
    EXPECT_EQ(kitName(decoded(ask(kitRequest(0x01, 64)), "KT")), "Card-64");
    EXPECT_EQ(kitName(decoded(ask(kitRequest(0x02, 5)), "KT")), "Jazz A");
}

TEST_F(MidiEmulator, OnlyRequestsForItsDeviceNumberAreAnswered) {
    ASSERT_TRUE(launch({"pulvex", "--device", "5"}));
    SetTimeOut(1000);
    EXPECT_FALSE(ask(kitRequest(0x00, 1, 0))) << "answered a request for device 0";
    SetTimeOut(3000);
    EXPECT_EQ(kitName(decoded(ask(kitRequest(0x00, 1, 5)), "KT")), "Rock 1");
}

TEST_F(MidiEmulator, SetupFileReplacesOnlyTheBanksItNames) {
    const std::string setup = dir.file("setup.json");
    std::ofstream(setup) << R"({"kits": {"preset": [{"name": "Test Kit", "sounds": [5, 4095]},
                                                    {"name": "Nine Char", "sounds": []}]}})";
    ASSERT_TRUE(launch({"pulvex", "--setup", setup}));
    const Bytes kit = decoded(ask(kitRequest(0x00, 1)), "KT");
    ASSERT_GE(kit.size(), 31u + 3 * 49);
    EXPECT_EQ(kitName(kit), "Test Kit");
    EXPECT_EQ(kitSound(kit, 0), 5);
    EXPECT_EQ(kitSound(kit, 1), 4095); // all twelve bits, the top nibble included
    EXPECT_EQ(kitSound(kit, 2), 4095); // a key the file leaves out stays silent, not a kick
    // A name of the full nine characters has no NUL after it.
    EXPECT_EQ(kitName(decoded(ask(kitRequest(0x00, 2)), "KT")), "Nine Char");
    EXPECT_EQ(kitName(decoded(ask(kitRequest(0x01, 1)), "KT")), "Card-01");
}

TEST_F(MidiEmulator, WireSpeedDeliversTheReplyWholeAtCableSpeed) {
    ASSERT_TRUE(launch({"pulvex", "--wire-speed"}));
    const auto start = Clock::now();
    const auto reply = ask(kitRequest(0x00, 1));
    const auto took = Clock::now() - start;
    // It goes out in small pieces that must join again, no faster than 3125 bytes a second.
    EXPECT_EQ(kitName(decoded(reply, "KT")), "Rock 1");
    ASSERT_TRUE(reply);
    EXPECT_GE(took, std::chrono::milliseconds(reply->size() * 1000 / 3125 * 9 / 10));
}

// ---- Pulvex: faults ----

TEST_F(MidiEmulator, SilentFaultNeverAnswers) {
    ASSERT_TRUE(launch({"pulvex", "--fault", "silent"}));
    SetTimeOut(1000);
    EXPECT_FALSE(ask(kitRequest(0x00, 1)));
}

TEST_F(MidiEmulator, SilentKitFaultLeavesOnlyInternalTwelveUnanswered) {
    ASSERT_TRUE(launch({"pulvex", "--fault", "silent-kit"}));
    SetTimeOut(1000);
    EXPECT_FALSE(ask(kitRequest(0x02, 12)));
    // Its neighbours and the same number in the other banks still come.
    for (const auto& [bank, kit] : {std::pair{0x02, 11}, {0x02, 13}, {0x00, 12}, {0x01, 12}})
        EXPECT_TRUE(ask(kitRequest(bank, kit))) << bank << " " << kit;
}

TEST_F(MidiEmulator, NoF7FaultSendsAReplyThatNeverArrives) {
    const std::string log = dir.file("wire.log");
    ASSERT_TRUE(launch({"pulvex", "--fault", "no-f7", "--log", log}));
    SetTimeOut(1000);
    EXPECT_FALSE(ask(kitRequest(0x00, 1)));
    // Unlike "silent", a reply did go out: it just lacks its end.
    ASSERT_TRUE(waitForText(log, "out"));
    const auto lines = readLog(log);
    const auto out =
        std::find_if(lines.begin(), lines.end(), [](auto& l) { return l.first == "out"; });
    ASSERT_NE(out, lines.end());
    ASSERT_GT(out->second.size(), 16u);
    EXPECT_EQ(out->second.front(), 0xF0);
    EXPECT_NE(out->second.back(), 0xF7);
}

TEST_F(MidiEmulator, ShortFaultCutsTheKitBeforeItsEntries) {
    ASSERT_TRUE(launch({"pulvex", "--fault", "short"}));
    EXPECT_EQ(decoded(ask(kitRequest(0x00, 1)), "KT").size(), 24u);
}

TEST_F(MidiEmulator, WrongTypeFirstFaultPrecedesTheReplyWithAnotherType) {
    ASSERT_TRUE(launch({"pulvex", "--fault", "wrong-type-first"}));
    const auto first = ask(kitRequest(0x00, 1));
    ASSERT_TRUE(first);
    EXPECT_NE(typeOf(*first), "KT");
    EXPECT_EQ(kitName(decoded(receive(), "KT")), "Rock 1");
}

TEST_F(MidiEmulator, GarbageFaultLetsOnlyTheForeignSysExThroughBeforeTheReply) {
    ASSERT_TRUE(launch({"pulvex", "--fault", "garbage"}));
    const auto foreign = ask(kitRequest(0x00, 1));
    ASSERT_TRUE(foreign);
    ASSERT_GE(foreign->size(), 3u);
    EXPECT_EQ((*foreign)[0], 0xF0);
    EXPECT_EQ((*foreign)[1], 0x41);
    EXPECT_EQ(foreign->back(), 0xF7);
    EXPECT_EQ(kitName(decoded(receive(), "KT")), "Rock 1");
}

TEST_F(MidiEmulator, SlowFaultMissesATwoSecondTimeOutYetStopsAtOnce) {
    ASSERT_TRUE(launch({"pulvex", "--fault", "slow"}));
    SetTimeOut(2000);
    const auto start = Clock::now();
    EXPECT_FALSE(ask(kitRequest(0x00, 1)));
    EXPECT_GE(Clock::now() - start, 1900ms);
    // A stop while the late answer is still pending must not wait for it, nor leave its ports
    // behind: the bus would hold up every other client until it gives the dead one up.
    CloseMidi();
    EXPECT_EQ(stop(), 0);
    EXPECT_TRUE(portsGone());
}

// ---- stopping ----

TEST_F(MidiEmulator, SigtermEndsItWithStatusZeroAndRemovesItsPorts) {
    ASSERT_TRUE(launch({"pulvex"}));
    CloseMidi();
    EXPECT_EQ(stop(), 0);
    EXPECT_TRUE(portsGone());
}

// ---- Morvex ----

TEST_F(MidiEmulator, MorvexAnswersWithItsStartVoiceAndRejectsAWrongCheckByte) {
    const std::string saved = dir.file("saved");
    std::filesystem::create_directory(saved);
    ASSERT_TRUE(launch({"morvex", "--save-dir", saved}));
    const Bytes initial = voiceFromFile(kInitialVoice);
    const auto start = ask(kDumpRequest);
    ASSERT_TRUE(start);
    EXPECT_EQ(std::string(start->begin() + 19, start->begin() + 27), "Init Pad");
    EXPECT_EQ(*start, initial);

    Bytes bad = initial;
    bad[kVoiceData + kCheckByte] = std::uint8_t((bad[kVoiceData + kCheckByte] + 1) & 0x7F);
    ASSERT_EQ(MidiTransmit(std::uint32_t(bad.size()), bad.data()), 1);
    EXPECT_TRUE(waitForText(stdoutPath, "rejected: ")) << readText(stdoutPath);
    EXPECT_EQ(readText(stdoutPath).find("accepted"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_empty(saved));
    const auto after = ask(kDumpRequest);
    ASSERT_TRUE(after);
    EXPECT_EQ(*after, initial) << "a rejected dump replaced the voice";
}

TEST_F(MidiEmulator, MorvexSavesAndAnswersWithEachAcceptedVoice) {
    const std::string saved = dir.file("saved"), log = dir.file("wire.log");
    std::filesystem::create_directory(saved);
    ASSERT_TRUE(launch({"morvex", "--save-dir", saved, "--log", log}));

    const int device = midi::indexOf(midi::service().ports(midi::Direction::Output), inPort);
    ASSERT_GE(device, 0);
    const pid_t cli = spawn({KLANGOR_CLI, "send", kInitialVoice, "--to", std::to_string(device)},
                            dir.file("cli-out.txt"), dir.file("cli-err.txt"));
    ASSERT_GT(cli, 0);
    ASSERT_EQ(waitForExit(cli, 10s), 0) << readText(dir.file("cli-err.txt"));
    ASSERT_TRUE(waitForText(stdoutPath, "accepted")) << readText(stdoutPath);
    EXPECT_EQ(voiceFromFile(saved + "/voice-001.syx"), voiceFromFile(kInitialVoice));

    // A voice holding a 26 (the file form stores it as 226), its sum kept by a second change.
    Bytes voice = voiceFromFile(kInitialVoice);
    const int delta = voice[25] - 26;
    voice[25] = 26;
    voice[26] = std::uint8_t((voice[26] + delta) & 0x7F);
    ASSERT_EQ(MidiTransmit(std::uint32_t(voice.size()), voice.data()), 1);
    ASSERT_TRUE(waitForText(stdoutPath, "accepted", 2)) << readText(stdoutPath);
    const Bytes file = readFile(saved + "/voice-002.syx");
    ASSERT_EQ(file.size(), 592u);
    EXPECT_EQ(file[25], 226);
    EXPECT_EQ(voiceFromFile(saved + "/voice-002.syx"), voice);

    const auto answer = ask(kDumpRequest);
    ASSERT_TRUE(answer);
    EXPECT_EQ(*answer, voice) << "the wire must carry 26, and the latest voice";

    // The log shows each message whole, in the order it passed.
    ASSERT_TRUE(waitForText(log, "out"));
    const std::vector<LogLine> expected = {
        {"in", voiceFromFile(kInitialVoice)}, {"in", voice}, {"in", kDumpRequest}, {"out", voice}};
    EXPECT_EQ(readLog(log), expected) << readText(log);
}

} // namespace
