// Sending to the synthesizer when the MIDI service misbehaves, on the in-memory bus: a send
// succeeds only when the whole dump arrived, and every fault is a failure that says what happened,
// within the send's time-out.

#include "midi/MemoryBus.h"
#include "midi/MidiInput.h"
#include "midi/Pacer.h"
#include "morvex/Transmission.h"
#include "morvex/VoiceFile.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <thread>

using namespace morvex;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

constexpr std::size_t kAnyLength = std::numeric_limits<std::size_t>::max();

// The synthesizer's input on the bus, listed as output 0, and a voice to send it.
struct SynthOnBus {
    explicit SynthOnBus(midi::Carriage carriage = {}) : bus(carriage) {
        std::string error;
        synth = midi::MidiInput::open({"Morvex", "in", std::nullopt, false}, error, bus);
        EXPECT_TRUE(synth) << error;
        const std::uint8_t header[] = {0xF0, 0x43, 0x00, 0x7E, 0x04, 0x46, 'P', 'H',
                                       ' ',  ' ',  '2',  '2',  '0',  '3',  'A', 'E'};
        std::copy(std::begin(header), std::end(header), state.dumpHeader.begin());
    }
    ~SynthOnBus() { releaseAndSettle(); }
    // Lets a send left hanging finish, so that no port of the bus outlives it.
    void releaseAndSettle() {
        if (later.joinable()) later.join();
        bus.hangPuts(false);
        const auto deadline = Clock::now() + 2s;
        while (bus.openClients() > (synth ? 1 : 0) && Clock::now() < deadline)
            std::this_thread::sleep_for(1ms);
    }
    // Runs `fault` on another thread while the send is under way.
    void meanwhile(std::function<void()> fault) {
        later = std::thread([fault = std::move(fault)] {
            std::this_thread::sleep_for(50ms);
            fault();
        });
    }
    // Up to `count` messages, each waited for at most `wait`.
    std::vector<midi::Bytes> received(std::size_t count, std::chrono::milliseconds wait = 1s) {
        std::vector<midi::Bytes> messages;
        for (midi::Bytes message; synth && messages.size() < count &&
                                  synth->next(message, wait) == midi::MidiInput::Outcome::Message;)
            messages.push_back(message);
        return messages;
    }

    midi::MemoryBus bus;
    midi::ServiceOverride guard{bus};
    std::shared_ptr<midi::MidiInput> synth;
    MorvexState state;
    std::thread later;
};

} // namespace

TEST(TransmissionFaults, EveryFaultIsAFailureThatSaysWhatHappened) {
    struct Case {
        const char* name;
        std::function<void(SynthOnBus&)> fault;
        std::string says;
        Destination to = {};
    };
    const Case cases[] = {
        {"service stops during the send",
         [](SynthOnBus& s) {
             s.bus.hangPuts(true);
             s.meanwhile([&s] { s.bus.stopService(); });
         },
         "The MIDI service stopped"},
        {"send hangs", [](SynthOnBus& s) { s.bus.hangPuts(true); }, "did not take"},
        {"port goes during the send",
         [](SynthOnBus& s) {
             s.bus.hangPuts(true);
             s.meanwhile([&s] {
                 s.synth.reset();
                 s.bus.hangPuts(false);
             });
         },
         "failed"},
        {"service refuses the port", [](SynthOnBus& s) { s.bus.refuseOpens(true); },
         "Cannot open MIDI output 0"},
        {"service gone before", [](SynthOnBus& s) { s.bus.stopService(); }, "nothing was sent"},
        {"no such device", {}, "There is no MIDI output 3 (1 found); nothing was sent.", {3, {}}},
        {"no such port name", {}, "No MIDI output \"Gone Synth\"", {0, "Gone Synth"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SynthOnBus s;
        if (c.fault) c.fault(s);
        SendOptions options;
        options.timeout = 300ms;
        const auto start = Clock::now();
        const Status problem = sendMessage(dumpBytes(s.state), c.to, options);
        EXPECT_LT(Clock::now() - start, 2s);
        EXPECT_TRUE(s.received(1, 10ms).empty());
        s.releaseAndSettle();
        if (!problem) {
            ADD_FAILURE() << "reported as sent";
            continue;
        }
        EXPECT_EQ(problem->caption, "Fehler");
        EXPECT_NE(problem->text.find(c.says), std::string::npos) << problem->text;
    }
}

TEST(TransmissionFaults, ASendArrivesWholeWhateverTheBackEndCarries) {
    for (const midi::Carriage carriage :
         {midi::Carriage{}, midi::Carriage{100, false}, midi::Carriage{kAnyLength, true}}) {
        SCOPED_TRACE(std::to_string(carriage.largestPiece) + (carriage.sysExWhole ? " whole" : ""));
        SynthOnBus s(carriage);
        std::vector<int> opened;
        SendOptions options;
        options.opened = [&](const std::string& port) {
            EXPECT_EQ(port, "Morvex:in");
            opened.push_back(1);
        };
        // By name, a part of it in any case, as morvex.dev may hold it.
        ASSERT_FALSE(sendMessage(dumpBytes(s.state), {7, "morvex:IN"}, options));
        ASSERT_FALSE(TransmitSysEx(s.state, SysExKind::DumpRequest, 0, options));
        const auto messages = s.received(2);
        ASSERT_EQ(messages.size(), 2u);
        EXPECT_TRUE(s.received(1, 10ms).empty());
        EXPECT_EQ(messages[0], dumpBytes(s.state));
        EXPECT_EQ(messages[1], midi::Bytes(kDumpRequest.begin(), kDumpRequest.end()));
        EXPECT_EQ(opened.size(), 2u);
        EXPECT_EQ(s.bus.carriageViolations(), 0u);
        EXPECT_EQ(s.bus.openClients(), 1); // the synthesizer's port only: each send closed its own
    }
}

TEST(TransmissionFaults, APauseSpacesSendsByTheCableTimeAndThePause) {
    SynthOnBus s;
    midi::Pacer pacer(40ms);
    SendOptions options;
    options.pacer = &pacer;
    const midi::Bytes dump = dumpBytes(s.state);
    const auto start = Clock::now();
    ASSERT_FALSE(sendMessage(dump, {}, options));
    ASSERT_FALSE(sendMessage(dump, {}, options));
    const auto cable = std::chrono::duration<double>(dump.size() / midi::kCableBytesPerSecond);
    EXPECT_GE(Clock::now() - start, cable + 40ms);
    EXPECT_EQ(s.received(2).size(), 2u);
}
