// MidiInput and MidiOutput over the in-memory bus: what reaches the program, what a send reports
// when the service misbehaves, and how long messages are carried.

#include "BusPeer.h"
#include "midi/MidiInput.h"
#include "midi/MidiOutput.h"

#include <gtest/gtest.h>

#include <future>
#include <thread>

using namespace midi;
using midi_test::hex;
using midi_test::sysEx;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

// A program's input "Receiver:in" and an output connected to it, on a bus of their own.
struct OverBus : testing::Test {
    void open(Carriage carriage = {}, InputLimits limits = {}) {
        output.reset();
        input.reset();
        bus = std::make_unique<MemoryBus>(carriage);
        std::string error;
        input = MidiInput::open({"Receiver", "in", std::nullopt, false}, error, *bus, limits);
        ASSERT_TRUE(input) << error;
        output = MidiOutput::open({"Sender", "out", Port{"Receiver:in"}, false}, error, *bus);
        ASSERT_TRUE(output) << error;
    }

    // Every message waiting at the input, without waiting for more.
    std::vector<Bytes> collected() {
        std::vector<Bytes> messages;
        Bytes message;
        while (input->next(message, 0ms) == MidiInput::Outcome::Message)
            messages.push_back(message);
        return messages;
    }

    // A worker left behind in a hung put closes its port once the put returns.
    void awaitOpenClients(int count) {
        for (auto end = Clock::now() + 5s; bus->openClients() != count && Clock::now() < end;)
            std::this_thread::sleep_for(5ms);
        EXPECT_EQ(bus->openClients(), count);
    }

    std::unique_ptr<MemoryBus> bus;
    std::shared_ptr<MidiInput> input;
    std::shared_ptr<MidiOutput> output;
    std::future<void> background; // ends before the bus
};

} // namespace

TEST_F(OverBus, AFullInputQueueDropsAndCountsNewMessages) {
    struct Case {
        const char* name;
        InputLimits limits;
    };
    const Case cases[] = {
        {"by messages", {.messages = 2}},
        {"by bytes", {.messages = 10, .bytes = 7}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        open({}, c.limits);
        for (const char* note : {"90 40 7F", "90 41 7F", "90 42 7F"})
            EXPECT_TRUE(output->send(hex(note), 1s));
        EXPECT_EQ(collected(), (std::vector<Bytes>{hex("90 40 7F"), hex("90 41 7F")}));
        EXPECT_EQ(input->dropped(), 1u);
        EXPECT_TRUE(output->send(hex("90 43 7F"), 1s));
        EXPECT_EQ(collected(), std::vector<Bytes>{hex("90 43 7F")}) << "room again once collected";
    }
}

TEST_F(OverBus, AnInputForSysExOnlyKeepsNothingElse) {
    open({}, {.messages = 1, .sysExOnly = true});
    for (const char* message : {"90 40 7F", "C0 05", "F0 43 01 F7"})
        EXPECT_TRUE(output->send(hex(message), 1s));
    EXPECT_EQ(collected(), std::vector<Bytes>{hex("F0 43 01 F7")}) << "the notes took no room";
    EXPECT_EQ(input->dropped(), 0u);
}

TEST_F(OverBus, AWaitEndsAtOnceWhenTheServiceStopsOrTheInputCloses) {
    struct Case {
        const char* name;
        void (*end)(OverBus&);
        MidiInput::Outcome outcome;
    };
    const Case cases[] = {
        {"service stops", [](OverBus& t) { t.bus->stopService(); },
         MidiInput::Outcome::ServiceStopped},
        {"input closed", [](OverBus& t) { t.input->close(); }, MidiInput::Outcome::Closed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        open();
        const auto start = Clock::now();
        auto waited = std::async(std::launch::async, [&] {
            Bytes message;
            return input->next(message, 20s);
        });
        std::this_thread::sleep_for(50ms); // the wait is in progress
        c.end(*this);
        ASSERT_EQ(waited.wait_for(10s), std::future_status::ready);
        EXPECT_EQ(waited.get(), c.outcome);
        EXPECT_LT(Clock::now() - start, 10s);
        Bytes message;
        EXPECT_EQ(input->next(message, 20s), c.outcome) << "and so does every later wait";
    }
}

TEST_F(OverBus, EachServiceGetsALongSysExInWhatItCanCarry) {
    const Bytes dump = sysEx(100);
    const auto part = [&](std::size_t from, std::size_t to) {
        return Bytes(dump.begin() + std::ptrdiff_t(from), dump.begin() + std::ptrdiff_t(to));
    };
    struct Case {
        const char* name;
        Carriage carriage;
        std::vector<Bytes> sends;
        std::size_t puts;
    };
    const Case cases[] = {
        {"split for a service that takes pieces", {.largestPiece = 16}, {dump}, 7},
        {"sent whole where SysEx goes only whole", {.sysExWhole = true}, {dump}, 1},
        {"caller's pieces joined where SysEx goes only whole",
         {.sysExWhole = true},
         {part(0, 40), part(40, 60), part(60, 100)},
         1},
        {"caller's pieces passed on otherwise", {}, {part(0, 40), part(40, 60), part(60, 100)}, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        open(c.carriage);
        for (const Bytes& piece : c.sends) EXPECT_TRUE(output->send(piece, 1s));
        EXPECT_EQ(collected(), std::vector<Bytes>{dump});
        EXPECT_EQ(bus->carriageViolations(), 0u);
        EXPECT_EQ(bus->puts(), c.puts);
    }
}

TEST_F(OverBus, ABusyServiceIsAskedAgain) {
    open();
    bus->answerBusy(3);
    const MidiOutput::Result result = output->send(hex("F0 01 02 F7"), 2s);
    EXPECT_TRUE(result) << result.text();
    EXPECT_EQ(collected(), std::vector<Bytes>{hex("F0 01 02 F7")});
}

TEST_F(OverBus, AHungServiceCostsASendItsTimeOutAndACloseItsPatience) {
    open();
    bus->hangPuts(true);
    auto start = Clock::now();
    EXPECT_EQ(output->send(hex("90 40 7F"), 200ms).outcome, MidiOutput::Outcome::TimedOut);
    EXPECT_LT(Clock::now() - start, 3s);

    start = Clock::now();
    output->close(200ms);
    EXPECT_LT(Clock::now() - start, 3s);
    EXPECT_EQ(output->send(hex("90 40 7F"), 200ms).outcome, MidiOutput::Outcome::Closed);

    bus->hangPuts(false);
    awaitOpenClients(1);
}

TEST_F(OverBus, ASendIsNeverSentWhenTheMessageCannotHaveArrived) {
    struct Case {
        const char* name;
        void (*before)(OverBus&);
        MidiOutput::Outcome outcome;
    };
    const Case cases[] = {
        {"service stopped", [](OverBus& t) { t.bus->stopService(); },
         MidiOutput::Outcome::ServiceStopped},
        {"receiver closed", [](OverBus& t) { t.input.reset(); }, MidiOutput::Outcome::PortGone},
        {"service stops during the send",
         [](OverBus& t) {
             t.bus->hangPuts(true);
             t.background = std::async(std::launch::async, [bus = t.bus.get()] {
                 std::this_thread::sleep_for(50ms);
                 bus->stopService();
             });
         },
         MidiOutput::Outcome::ServiceStopped},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        open();
        c.before(*this);
        const MidiOutput::Result result = output->send(sysEx(40), 2s);
        EXPECT_EQ(result.outcome, c.outcome) << result.text();
        if (background.valid()) background.get();
    }
}

TEST_F(OverBus, APauseSpacesMessagesByTheirTimeOnACableAndThePause) {
    open();
    output->setPause(50ms);
    const Bytes dump = sysEx(625); // 0.2 s on a cable
    const auto start = Clock::now();
    EXPECT_TRUE(output->send(dump, 2s));
    EXPECT_TRUE(output->send(dump, 2s));
    EXPECT_GE(Clock::now() - start, 250ms);
    EXPECT_EQ(collected().size(), 2u);
}
