// Kit reception against a scripted Wirebox: the request bytes, the block decoder (above all its
// bounds, since replies come from outside), and every path of the two exchanges, each of which must
// end with the ports closed, the busy cursor balanced and every received block freed. The MIDI
// service the reception asks about is an in-memory bus.

#include "pulvex/model/Reception.h"
#include "midi/MemoryBus.h"
#include "pulvex/model/PulvexDoc.h"
#include "pulvex/model/Settings.h"
#include "pulvex/model/WaveNameTable.h"
#include "pulvex/model/tests/ModuleReplies.h"
#include "pulvex/model/tests/RecordingUi.h"
#include "testing/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>
#include <string>
#include <utility>
#include <vector>

using namespace pulvex;
using namespace pulvex_test;

namespace {

// Decodes from an allocation of exactly the message's size, so the sanitizer build sees any read
// past its end.
Bytes decode(const Bytes& m) {
    auto buffer = std::make_unique<std::uint8_t[]>(m.size());
    std::memcpy(buffer.get(), m.data(), m.size());
    const std::size_t n = decodeBlocks(buffer.get(), m.size());
    EXPECT_LE(n, m.size());
    return Bytes(buffer.get(), buffer.get() + n);
}

// ---- the scripted Wirebox ----

// A bus that counts who holds it: the holds alive now, and at each open of the ports.
class HeldBus : public midi::MemoryBus {
public:
    std::shared_ptr<void> hold() override {
        ++holders;
        return std::shared_ptr<void>(nullptr, [this](void*) { --holders; });
    }
    int holders = 0;
};

struct FakeWirebox {
    HeldBus* bus = nullptr;
    midi::MemoryBus* stopsOnUse = nullptr; // its service stops at the first send or wait
    std::vector<int> holdersAtOpen;
    std::deque<Bytes> replies; // nothing left: the wait times out
    std::vector<Bytes> sent;
    std::vector<std::pair<int, int>> programChanges;
    std::chrono::steady_clock::time_point programChangedAt;
    std::vector<std::chrono::steady_clock::time_point> sentAt;
    bool open = false;
    int opens = 0;
    bool openFails = false;
    bool transmitFails = false;
    std::uint32_t timeOut = 5000;
    int channel = -1;
    std::string in, out;
    int receives = 0;
    int allocations = 0;
    int frees = 0;
};
FakeWirebox wire;

std::uint32_t fakeSetTimeOut(std::uint32_t ms) {
    wire.timeOut = ms;
    return ms;
}
int fakeOpenMidi(void*, int channel, const char* in, const char* out) {
    wire.channel = channel;
    wire.in = in;
    wire.out = out;
    wire.holdersAtOpen.push_back(wire.bus->holders);
    if (wire.openFails) return 0;
    wire.open = true;
    ++wire.opens;
    return 1;
}
void stopTheServiceIfScripted() {
    if (wire.stopsOnUse) wire.stopsOnUse->stopService();
}
int fakeMidiTransmit(std::uint32_t length, const unsigned char* bytes) {
    stopTheServiceIfScripted();
    if (wire.transmitFails || !wire.open) return 0;
    wire.sent.emplace_back(bytes, bytes + length);
    wire.sentAt.push_back(std::chrono::steady_clock::now());
    return 1;
}
unsigned char* fakeMidiReceive(std::uint32_t* length) {
    stopTheServiceIfScripted();
    ++wire.receives;
    if (!wire.open || wire.replies.empty()) return nullptr;
    const Bytes reply = std::move(wire.replies.front());
    wire.replies.pop_front();
    auto* block = static_cast<unsigned char*>(std::malloc(reply.size() + 1));
    std::memcpy(block, reply.data(), reply.size());
    *length = static_cast<std::uint32_t>(reply.size());
    ++wire.allocations;
    return block;
}
void fakeDiscard(unsigned char* message) {
    if (message == nullptr) return;
    ++wire.frees;
    std::free(message);
}
int fakeProgramChange(int channel, int program) {
    wire.programChanges.emplace_back(channel, program);
    wire.programChangedAt = std::chrono::steady_clock::now();
    return 1;
}
int fakeCloseMidi() {
    wire.open = false;
    return 1;
}

const WireboxBinding kFakeBinding{&fakeSetTimeOut,  &fakeOpenMidi, &fakeMidiTransmit,
                                  &fakeMidiReceive, &fakeDiscard,  &fakeProgramChange,
                                  &fakeCloseMidi};

class ExchangeTest : public ::testing::Test {
protected:
    void SetUp() override {
        wire = FakeWirebox{};
        wire.bus = &bus;
        settings.writeText(SettingKey::MidiIn, "Module In");
        settings.writeText(SettingKey::MidiOut, "Module Out");
        settings.writeNumber(SettingKey::Channel, 9);
        settings.writeNumber(SettingKey::DeviceNumber, 5);
    }
    // Whatever the path, nothing may be left behind.
    void TearDown() override {
        EXPECT_FALSE(wire.open) << "ports left open";
        EXPECT_EQ(wire.allocations, wire.frees) << "received blocks leaked";
        EXPECT_EQ(ui.busyDepth, 0) << "busy cursor left on";
        EXPECT_FALSE(ui.busyUnbalanced) << "busy cursor ended twice";
        EXPECT_FALSE(ui.busyAtError) << "an error shown under the busy cursor";
    }
    void scriptNames(int internal = 3, int wavecard = 3) {
        wire.replies.push_back(listReply("VI", nameRecords("INTV", internal)));
        wire.replies.push_back(listReply("VW", nameRecords("CARD", wavecard)));
    }
    bool docUnchanged() const {
        const CPulvexDoc fresh;
        return doc.keys == fresh.keys && doc.title == fresh.title && !doc.modified;
    }

    HeldBus bus;
    midi::ServiceOverride onBus{bus};
    testing_support::TempDir dir;
    SettingsStore settings{dir.file("Pulvex.ini")};
    WaveNameTable names;
    RecordingUi ui;
    CPulvexDoc doc;
    KitReception reception{kFakeBinding, settings, names, ui};
};

} // namespace

// ---- requests ----

TEST(RequestTest, NameListRequestBytes) {
    EXPECT_EQ(nameListRequest("VI", 0), (Bytes{0xF0, 0x43, 0x20, 0x7E, 0x4C, 0x4D, 0x20, 0x20, 0x30,
                                               0x30, 0x38, 0x37, 0x56, 0x49, 0xF7}));
    const Bytes device5 = nameListRequest("VW", 5);
    ASSERT_EQ(device5.size(), 15u);
    EXPECT_EQ(device5[2], 0x25);
    EXPECT_EQ(device5[12], 'V');
    EXPECT_EQ(device5[13], 'W');
}

TEST(RequestTest, KitRequestBytes) {
    Bytes expected{0xF0, 0x43, 0x20, 0x7A, 'L', 'M', ' ', ' ', '0', '0', '8', '7', 0x4B, 0x54};
    expected.insert(expected.end(), 12, 0x00);
    expected.insert(expected.end(), {0x02, 0x02, 0x00, 0x00, 0xF7});
    EXPECT_EQ(kitRequest(0, KitBank::Internal, 3), expected);

    const Bytes first = kitRequest(0, KitBank::Preset, 1);
    const Bytes last = kitRequest(5, KitBank::Card, 64);
    ASSERT_EQ(first.size(), 31u);
    ASSERT_EQ(last.size(), 31u);
    EXPECT_EQ(first[26], 0x00);
    EXPECT_EQ(first[27], 0x00);
    EXPECT_EQ(last[2], 0x25);
    EXPECT_EQ(last[26], 0x01);
    EXPECT_EQ(last[27], 0x3F);
}

// ---- the block decoder ----

TEST(DecoderTest, WorkedExample) {
    const Bytes m = message(
        {{0x00, 0x0E, 'L', 'M', ' ', ' ', '0', '0', '8', '7', 'K', 'T', '4', '1', '4', '2', 0x12}});
    EXPECT_EQ(decode(m), (Bytes{0x41, 0x42}));
}

TEST(DecoderTest, BlocksFollowEachOtherAndEveryDigitValueDecodes) {
    const Bytes a{0x00, 0x09, 0xA0, 0xFF, 0x5C};
    const Bytes b{0xED, 0xCB, 0x7E};
    Bytes both = a;
    both.insert(both.end(), b.begin(), b.end());
    EXPECT_EQ(decode(message({hexBlock("VW", a), hexBlock("VW", b)})), both);
}

TEST(DecoderTest, InternalListCountLeavesThousandAndEightDigitsImplied) {
    Bytes first(504);
    for (std::size_t i = 0; i < first.size(); ++i) first[i] = static_cast<std::uint8_t>(i * 7);
    const Bytes block = hexBlock("VI", first);
    ASSERT_EQ(block[0], 0x00);
    ASSERT_EQ(block[1], 10); // count 10 carries 1008 digits
    // The block after it is only found when the 1008 digits were skipped exactly.
    Bytes expected = first;
    expected.resize(504 + 504, 0x3C);
    EXPECT_EQ(decode(message({block, hexBlock("VI", Bytes(504, 0x3C))})), expected);
    // The bias belongs to "VI" only: the same count in a "VW" block means no digits at all.
    EXPECT_TRUE(decode(message({hexBlock("VW", {}, 10)})).empty());
}

TEST(DecoderTest, OddDigitCountYieldsRoundedUpBytesAndNextBlockStillFound) {
    Bytes odd{0x00, 13, 'L', 'M', ' ', ' ', '0', '0', '8', '7', 'K', 'T', '1', '2', '3', 0x40};
    const Bytes next = hexBlock("KT", {0x99});
    odd.insert(odd.end(), next.begin(), next.end());
    const Bytes out = decode(message({odd}));
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[0], 0x12);
    EXPECT_EQ(out[2], 0x99);
}

TEST(DecoderTest, BlockWithoutModelEndsDecodingButKeepsEarlierBlocks) {
    Bytes foreign = hexBlock("KT", {0x33});
    foreign[9] = '8'; // "LM  0088"
    EXPECT_EQ(decode(message({hexBlock("KT", {0x11, 0x22}), foreign, hexBlock("KT", {0x44})})),
              (Bytes{0x11, 0x22}));
    EXPECT_TRUE(decode(message({foreign})).empty());
}

TEST(DecoderTest, BlockClaimingMoreDigitsThanPresentDecodesNothingOfIt) {
    const Bytes good = hexBlock("KT", {0x11});
    Bytes liar = hexBlock("KT", {0x22, 0x33}, 10 + 400);
    EXPECT_EQ(decode(message({good, liar})), (Bytes{0x11}));
    // The "VI" bias makes a modest count claim 1008 digits.
    EXPECT_TRUE(decode(message({hexBlock("VI", Bytes(10, 0x44), 10)})).empty());
    // Digits that fill the message to its very end leave no room for the checksum.
    Bytes noChecksum = message({hexBlock("KT", {0x66})}, false);
    noChecksum.pop_back();
    EXPECT_TRUE(decode(noChecksum).empty());
}

TEST(DecoderTest, NegativeDigitCountStops) {
    EXPECT_TRUE(decode(message({hexBlock("KT", {}, 4), hexBlock("KT", {0x11})})).empty());
}

TEST(DecoderTest, MessagesShorterThanABlockHead) {
    EXPECT_EQ(decodeBlocks(nullptr, 0), 0u);
    EXPECT_TRUE(decode({0xF0, 0x43, 0x00}).empty());
    EXPECT_TRUE(decode({0xF0, 0x43, 0x00, 0x7E, 0xF7}).empty());
    Bytes head = message({hexBlock("KT", {0x11})}, false);
    head.resize(4 + 12); // head complete, digits gone
    EXPECT_TRUE(decode(head).empty());
    head.resize(4 + 9); // head cut inside the model text
    EXPECT_TRUE(decode(head).empty());
}

TEST(DecoderTest, ReplyTypeNeedsSixteenBytes) {
    const Bytes reply = message({hexBlock("VW", {0x01})});
    EXPECT_EQ(replyType(reply), "VW");
    EXPECT_EQ(replyType(Bytes(reply.begin(), reply.begin() + 16)), "VW");
    EXPECT_EQ(replyType(Bytes(reply.begin(), reply.begin() + 15)), "");
    EXPECT_EQ(replyType({}), "");
}

// ---- the configuration read ----

using ReceptionTest = ExchangeTest;

TEST_F(ReceptionTest, NamesLandInBankSixAndTheWavecardBanks) {
    wire.replies.push_back(listReply("VI", nameRecords("INTV", 130)));
    wire.replies.push_back(listReply("VW", nameRecords("CARD", 97)));
    ASSERT_TRUE(reception.ConfigurationRead());

    EXPECT_TRUE(names.namesRetrieved);
    EXPECT_EQ(names.Name(768), "INTV0000");
    EXPECT_EQ(names.Name(768 + 127), "INTV0127");
    EXPECT_EQ(names.Name(768 + 128), ""); // records past the bank are dropped
    EXPECT_EQ(names.Name(2560), "CARD0000");
    EXPECT_EQ(names.Name(2560 + 31), "CARD0031");
    EXPECT_EQ(names.Name(2688), "CARD0032");
    EXPECT_EQ(names.Name(2816), "CARD0064");
    EXPECT_EQ(names.Name(2816 + 31), "CARD0095");
    EXPECT_EQ(names.Name(2816 + 32), "");

    EXPECT_EQ(wire.timeOut, 10000u);
    EXPECT_EQ(wire.in, "Module In");
    EXPECT_EQ(wire.out, "Module Out");
    EXPECT_EQ(wire.channel, 9);
    EXPECT_EQ(wire.sent, (std::vector<Bytes>{nameListRequest("VI", 5), nameListRequest("VW", 5)}));
    EXPECT_EQ(ui.prompts, 1);
    EXPECT_EQ(ui.progress,
              (std::vector<std::string>{"open Internal Voices", "set Wavecard Voices", "close"}));
    EXPECT_EQ(ui.statuses,
              (std::vector<std::string>{kReceivingInternal, kReceivingWavecard, kNamesFinished}));
    EXPECT_TRUE(ui.errors.empty());
    EXPECT_TRUE(wire.programChanges.empty());

    // Tests wait less.
    scriptNames();
    KitReception impatient(kFakeBinding, settings, names, ui, std::chrono::milliseconds(250));
    ASSERT_TRUE(impatient.ConfigurationRead());
    EXPECT_EQ(wire.timeOut, 250u);
}

TEST_F(ReceptionTest, LastShorterRecordGivesWhatItHolds) {
    Bytes wavecard = nameRecords("CARD", 2);
    wavecard.resize(72 + 9 + 4); // the second name cut after "CARD"
    wire.replies.push_back(listReply("VI", nameRecords("INTV", 1)));
    wire.replies.push_back(listReply("VW", wavecard));
    ASSERT_TRUE(reception.ConfigurationRead());
    EXPECT_EQ(names.Name(2560), "CARD0000");
    EXPECT_EQ(names.Name(2561), "CARD");
}

TEST_F(ReceptionTest, TimeOutFailsAndTheNextCommandReadsTheConfigurationAgain) {
    EXPECT_FALSE(reception.ReceiveCommand(doc));
    EXPECT_EQ(ui.errors, std::vector<std::string>{kNoResponse});
    ASSERT_FALSE(ui.statuses.empty());
    EXPECT_EQ(ui.statuses.back(), kReceptionFailed);
    EXPECT_EQ(ui.progress.back(), "close");
    EXPECT_FALSE(names.namesRetrieved);
    EXPECT_EQ(ui.dialogs, 0);
    EXPECT_FALSE(wire.open);

    scriptNames();
    wire.replies.push_back(message({hexBlock("KT", kitData("SECONDTRY"))}));
    EXPECT_TRUE(reception.ReceiveCommand(doc));
    EXPECT_EQ(wire.sent.size(), 4u); // VI, then VI, VW, KT
    EXPECT_TRUE(names.namesRetrieved);
    EXPECT_EQ(doc.title, "SECONDTRY");
}

TEST_F(ReceptionTest, TimeOutOnTheWavecardListLeavesNamesNotRetrieved) {
    wire.replies.push_back(listReply("VI", nameRecords("INTV", 2)));
    EXPECT_FALSE(reception.ConfigurationRead());
    EXPECT_FALSE(names.namesRetrieved);
    EXPECT_EQ(ui.errors, std::vector<std::string>{kNoResponse});
    EXPECT_EQ(ui.statuses.back(), kReceptionFailed);
}

TEST_F(ReceptionTest, RequestThatCannotBeSentFailsQuietly) {
    wire.transmitFails = true;
    EXPECT_FALSE(reception.ConfigurationRead());
    EXPECT_TRUE(ui.errors.empty());
    EXPECT_EQ(ui.busyBegun, 1);
    EXPECT_EQ(ui.statuses.back(), kReceptionFailed);
    EXPECT_EQ(ui.progress.back(), "close");
    EXPECT_FALSE(names.namesRetrieved);
}

TEST_F(ReceptionTest, PortsThatDoNotOpenEndBeforeAnythingIsShown) {
    wire.openFails = true;
    EXPECT_FALSE(reception.ReceiveCommand(doc));
    EXPECT_EQ(ui.prompts, 0);
    EXPECT_EQ(ui.busyBegun, 0);
    EXPECT_TRUE(ui.progress.empty());
    EXPECT_TRUE(ui.errors.empty());
    EXPECT_EQ(ui.dialogs, 0);
}

TEST_F(ReceptionTest, ProgramChangeOnlyWhenAsked) {
    settings.writeNumber(SettingKey::PatchBayChannel, 3);
    settings.writeNumber(SettingKey::ProgramChange, 42);
    scriptNames();
    ASSERT_TRUE(reception.ConfigurationRead());
    EXPECT_TRUE(wire.programChanges.empty());

    settings.writeNumber(SettingKey::SendProgramChange, 1);
    scriptNames();
    ASSERT_TRUE(reception.ConfigurationRead());
    EXPECT_EQ(wire.programChanges, (std::vector<std::pair<int, int>>{{3, 42}}));

    // The patch bay gets the pause it asks for before the request goes.
    settings.writeNumber(SettingKey::ProgramChangePause, 150);
    scriptNames();
    ASSERT_TRUE(reception.ConfigurationRead());
    EXPECT_GE(wire.sentAt.at(wire.sentAt.size() - 2) - wire.programChangedAt,
              std::chrono::milliseconds(150));
}

TEST_F(ReceptionTest, WithoutStatusBarNothingIsWrittenThere) {
    ui.statusBar = false;
    scriptNames();
    ASSERT_TRUE(reception.ConfigurationRead());
    EXPECT_FALSE(reception.ConfigurationRead()); // nothing scripted: time-out
    EXPECT_TRUE(ui.statuses.empty());
}

TEST_F(ReceptionTest, ForeignAndShortMessagesAreSkipped) {
    wire.replies.push_back({0xF0, 0x41, 0x10, 0x42, 0x12, 0xF7}); // too short to have a type
    wire.replies.push_back(listReply("VW", nameRecords("CARD", 1)));
    wire.replies.push_back(listReply("VI", nameRecords("INTV", 1)));
    wire.replies.push_back(listReply("VW", nameRecords("CARD", 1)));
    ASSERT_TRUE(reception.ConfigurationRead());
    EXPECT_EQ(wire.allocations, 4);
    EXPECT_EQ(names.Name(768), "INTV0000");
}

TEST_F(ReceptionTest, MissingF7IsACommunicationError) {
    wire.replies.push_back(message({hexBlock("VI", Bytes(504, 0x20))}, false));
    EXPECT_FALSE(reception.ConfigurationRead());
    EXPECT_EQ(ui.errors, std::vector<std::string>{kCommunicationError});
    EXPECT_EQ(ui.statuses.back(), kReceptionFailed);
    EXPECT_FALSE(names.namesRetrieved);
}

// ---- the kit read ----

TEST_F(ExchangeTest, KitReadFillsTheDocumentAsTheDecodedBlockSays) {
    settings.writeNumber(SettingKey::SendProgramChange, 1);
    scriptNames(49, 1);
    ASSERT_TRUE(reception.ConfigurationRead());
    const std::size_t statuses = ui.statuses.size();
    const Bytes kit = kitData("ROCKKIT01");
    wire.replies.push_back(message({hexBlock("KT", Bytes(kit.begin(), kit.begin() + 100)),
                                    hexBlock("KT", Bytes(kit.begin() + 100, kit.end()))}));

    ASSERT_TRUE(reception.KitRead(doc, KitBank::Card, 64));
    EXPECT_EQ(wire.sent.back(), kitRequest(5, KitBank::Card, 64));
    EXPECT_EQ(doc.title, "ROCKKIT01");
    CPulvexDoc expected;
    ASSERT_TRUE(expected.LoadKitBlock(kit, names, settings));
    EXPECT_EQ(doc.keys, expected.keys);
    EXPECT_TRUE(doc.modified);
    EXPECT_TRUE(doc.HasKit());
    // The kit read neither switches the patch bay nor writes status.
    EXPECT_EQ(wire.programChanges.size(), 1u);
    EXPECT_EQ(ui.statuses.size(), statuses);
    EXPECT_EQ(wire.opens, 2);
}

TEST_F(ExchangeTest, ReceiveCommandAsksForTheChosenKit) {
    scriptNames();
    wire.replies.push_back(message({hexBlock("KT", kitData("CHOSENKIT"))}));
    ui.bank = KitBank::Preset;
    ui.number = 1;
    ASSERT_TRUE(reception.ReceiveCommand(doc));
    EXPECT_EQ(wire.sent.back(), kitRequest(5, KitBank::Preset, 1));
}

TEST_F(ExchangeTest, OtherRepliesAreSkippedWhileTheKitIsAwaited) {
    names.namesRetrieved = true;
    wire.replies.push_back(listReply("VI", nameRecords("INTV", 1)));
    wire.replies.push_back(message({hexBlock("KT", kitData("AFTERVI01"))}));
    ASSERT_TRUE(reception.ReceiveCommand(doc));
    EXPECT_EQ(doc.title, "AFTERVI01");
    EXPECT_EQ(wire.sent.size(), 1u);
}

TEST_F(ExchangeTest, ShortKitIsACommunicationErrorAndLeavesTheDocument) {
    Bytes kit = kitData("SHORTKIT1");
    kit.resize(kKitBlockMinimum - 1);
    wire.replies.push_back(message({hexBlock("KT", kit)}));
    EXPECT_FALSE(reception.KitRead(doc, KitBank::Internal, 1));
    EXPECT_EQ(ui.errors, std::vector<std::string>{kCommunicationError});
    EXPECT_TRUE(docUnchanged());
}

TEST_F(ExchangeTest, KitMissingF7LeavesTheDocument) {
    wire.replies.push_back(message({hexBlock("KT", kitData("NOEND"))}, false));
    EXPECT_FALSE(reception.KitRead(doc, KitBank::Internal, 1));
    EXPECT_EQ(ui.errors, std::vector<std::string>{kCommunicationError});
    EXPECT_TRUE(docUnchanged());
}

TEST_F(ExchangeTest, KitTimeOutToldOnce) {
    EXPECT_FALSE(reception.KitRead(doc, KitBank::Preset, 2));
    EXPECT_EQ(ui.errors, std::vector<std::string>{kNoResponse});
    EXPECT_EQ(ui.busyBegun, 1);
    EXPECT_TRUE(docUnchanged());
}

TEST_F(ExchangeTest, KitRequestThatCannotBeSentIsNoResponse) {
    wire.transmitFails = true;
    EXPECT_FALSE(reception.KitRead(doc, KitBank::Preset, 2));
    EXPECT_EQ(ui.errors, std::vector<std::string>{kNoResponse});
    EXPECT_TRUE(docUnchanged());
}

TEST_F(ExchangeTest, KitPortsThatDoNotOpen) {
    wire.openFails = true;
    EXPECT_FALSE(reception.KitRead(doc, KitBank::Preset, 2));
    EXPECT_EQ(ui.busyBegun, 1);
    EXPECT_TRUE(ui.errors.empty()); // Wirebox has told the user
    EXPECT_TRUE(wire.sent.empty());
}

TEST_F(ExchangeTest, CancelKeepsTheDocumentAndTheNamesAreNotReadAgain) {
    scriptNames();
    ui.kitChosen = false;
    EXPECT_FALSE(reception.ReceiveCommand(doc));
    EXPECT_TRUE(names.namesRetrieved);
    EXPECT_TRUE(docUnchanged());
    EXPECT_EQ(wire.sent.size(), 2u);

    ui.kitChosen = true;
    wire.replies.push_back(message({hexBlock("KT", kitData("NEXTTIME1"))}));
    EXPECT_TRUE(reception.ReceiveCommand(doc));
    EXPECT_EQ(wire.sent.size(), 3u);
    EXPECT_EQ(ui.prompts, 1);
    EXPECT_EQ(doc.title, "NEXTTIME1");
}

// ---- the MIDI service ----

TEST_F(ExchangeTest, BothExchangesOfACommandShareOneHoldOfTheService) {
    scriptNames();
    wire.replies.push_back(message({hexBlock("KT", kitData("HELDKIT01"))}));
    ASSERT_TRUE(reception.ReceiveCommand(doc));
    EXPECT_EQ(wire.holdersAtOpen, (std::vector<int>{1, 1}));
    EXPECT_EQ(bus.holders, 0);
}

// A wait that ends because the service went away must not blame the cable; with the service there
// (or never there: the ports opened regardless), the same failures stay as they were.
TEST_F(ExchangeTest, AStoppedServiceIsToldAsSuch) {
    const std::string stopped = "The MIDI service stopped";
    struct Case {
        const char* what;
        bool serviceStops, transmitFails, kitRead;
        std::vector<std::string> errors;
        bool stoppedBefore = false;
    };
    const Case cases[] = {
        {"names, no reply", true, false, false, {stopped}},
        {"names, not sent", true, true, false, {stopped}},
        {"names, not sent, service there", false, true, false, {}},
        {"kit, no reply", true, false, true, {stopped}},
        {"kit, not sent", true, true, true, {stopped}},
        {"kit, no reply, service there", false, false, true, {kNoResponse}},
        {"kit, no reply, service never there", false, false, true, {kNoResponse}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        midi::MemoryBus other;
        midi::ServiceOverride onOther(other);
        if (c.stoppedBefore) other.stopService();
        wire.stopsOnUse = c.serviceStops ? &other : nullptr;
        wire.transmitFails = c.transmitFails;
        ui.errors.clear();
        EXPECT_FALSE(c.kitRead ? reception.KitRead(doc, KitBank::Preset, 1)
                               : reception.ConfigurationRead());
        EXPECT_EQ(ui.errors, c.errors);
        EXPECT_FALSE(wire.open);
    }
    wire.stopsOnUse = nullptr;
}
