// The port logic on the in-memory MIDI bus, with a sampler's two ports at the other end: lookup
// by name, nothing left open after a failure, what receive hands out, long messages under either
// carriage rule, and waits that keep their time-out when the service hangs or dies.

#include "PortState.h"
#include "midi/MemoryBus.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <optional>
#include <thread>

namespace {

using namespace std::chrono_literals;
using midi::Bytes;
using wirebox::PortState;
using Clock = std::chrono::steady_clock;

// The sampler's ports as Wirebox lists them: its output is Wirebox's input and the other way.
constexpr const char* kSamplerOut = "Sampler Out:MIDI Out";
constexpr const char* kSamplerIn = "Sampler In:MIDI In";

struct Shown {
    bool hasCaption;
    std::string caption, text;
    void* owner;
};
std::vector<Shown> shown;

void capture(const char* caption, const char* text, void* owner) {
    shown.push_back({caption != nullptr, caption ? caption : "", text, owner});
}

long long msSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

Bytes sysEx(std::uint8_t tag) {
    return {0xF0, 0x47, tag, 0xF7};
}

// Bytes below 80h that change from one position to the next, so that a lost or shifted piece shows.
Bytes longSysEx(std::size_t length) {
    Bytes message(length);
    for (std::size_t i = 0; i < length; ++i)
        message[i] = static_cast<std::uint8_t>((i * 31 + 7) & 0x7F);
    message.front() = 0xF0;
    message.back() = 0xF7;
    return message;
}

// A bus whose outputs cannot be opened, for a failure after the input opened.
class RefusingOutputs : public midi::MemoryBus {
public:
    std::unique_ptr<midi::BackendOutput> openOutput(const midi::OpenRequest& request,
                                                    std::string& error) override {
        if (request.clientName == "Sampler Out") return MemoryBus::openOutput(request, error);
        error = "output busy";
        return nullptr;
    }
};

// The bus installed as the process's service, the sampler's ports on it, and a PortState.
struct Rig {
    explicit Rig(midi::Carriage carriage = {}) : Rig(std::make_unique<midi::MemoryBus>(carriage)) {}
    explicit Rig(std::unique_ptr<midi::MemoryBus> backend) : bus(std::move(backend)), guard(*bus) {
        std::string error;
        samplerIn = midi::MidiInput::open({"Sampler In", "MIDI In", {}, false}, error, *bus);
        samplerOut = midi::MidiOutput::open({"Sampler Out", "MIDI Out", {}, false}, error, *bus);
        state.setMessageSink(capture);
        shown.clear();
    }
    ~Rig() {
        bus->hangPuts(false);
        state.close();
    }

    int open() { return state.open(&owner, 3, kSamplerOut, kSamplerIn); }

    std::optional<Bytes> receive() {
        std::uint32_t length = 0;
        std::uint8_t* block = state.receive(&length);
        if (!block) return std::nullopt;
        Bytes bytes(block, block + length);
        std::free(block);
        return bytes;
    }
    int transmit(const Bytes& bytes) {
        return state.transmit(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    }
    // What the sampler got, or nothing within a second.
    std::optional<Bytes> samplerGot() {
        Bytes message;
        if (samplerIn->next(message, 1s) != midi::MidiInput::Outcome::Message) return std::nullopt;
        return message;
    }
    void samplerSends(const Bytes& message) { ASSERT_TRUE(samplerOut->send(message, 1s)); }
    int wireboxPorts() const { return bus->openClients() - 2; }

    int owner = 0;
    std::unique_ptr<midi::MemoryBus> bus;
    midi::ServiceOverride guard;
    std::shared_ptr<midi::MidiInput> samplerIn;
    std::shared_ptr<midi::MidiOutput> samplerOut;
    PortState state;
};

class PortStateTest : public ::testing::Test {
protected:
    Rig rig;
    PortState& state = rig.state;
};

TEST_F(PortStateTest, OpensThePortsOfTheExactNames) {
    EXPECT_EQ(rig.open(), 1);
    EXPECT_EQ(state.channel(), 3);
    EXPECT_TRUE(state.isInputOpen());
    EXPECT_TRUE(shown.empty());
    // Opening again closes the first pair rather than leaking it.
    EXPECT_EQ(rig.open(), 1);
    EXPECT_EQ(rig.wireboxPorts(), 2);
}

TEST_F(PortStateTest, FailedOpenShowsWhyAndLeavesNothingOpen) {
    enum class Fault { None, RefuseOpens, RefuseOutputs };
    struct Case {
        const char *in, *out;
        Fault fault;
        const char *caption, *text; // caption null: the host's own
    };
    const char* noDevices = "No MIDI devices - check configuration";
    const Case cases[] = {
        {"sampler out:midi out", kSamplerIn, Fault::None, nullptr, noDevices}, // case matters
        {nullptr, kSamplerIn, Fault::None, nullptr, noDevices},
        {kSamplerOut, nullptr, Fault::None, nullptr, noDevices},
        {kSamplerOut, "Sampler Gone:MIDI In", Fault::None, nullptr, noDevices}, // not listed
        {kSamplerOut, kSamplerIn, Fault::RefuseOpens, "MIDI Input Driver",
         "The MIDI service refused the port"},
        {kSamplerOut, kSamplerIn, Fault::RefuseOutputs, "MIDI Output Driver", "output busy"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.in ? c.in : "(null)") + " / " + (c.out ? c.out : "(null)") +
                     " / " + c.text);
        Rig failing(c.fault == Fault::RefuseOutputs ? std::make_unique<RefusingOutputs>()
                                                    : std::make_unique<midi::MemoryBus>());
        if (c.fault == Fault::RefuseOpens) failing.bus->refuseOpens(true);
        EXPECT_EQ(failing.state.open(&failing.owner, 9, c.in, c.out), 0);
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].hasCaption, c.caption != nullptr);
        EXPECT_EQ(shown[0].caption, c.caption ? c.caption : "");
        EXPECT_EQ(shown[0].text, c.text);
        EXPECT_EQ(shown[0].owner, &failing.owner);
        EXPECT_EQ(failing.state.channel(), 9);
        EXPECT_FALSE(failing.state.isInputOpen());
        EXPECT_EQ(failing.wireboxPorts(), 0);
    }
    // No sink puts the default back: ours hears of no later failure.
    state.setMessageSink(nullptr);
    shown.clear();
    EXPECT_EQ(state.open(&rig.owner, 0, nullptr, nullptr), 0);
    EXPECT_TRUE(shown.empty());
}

TEST_F(PortStateTest, CloseIsHarmlessAndStopsReceiving) {
    EXPECT_EQ(state.close(), 1); // before any open
    ASSERT_EQ(rig.open(), 1);
    EXPECT_EQ(state.close(), 1);
    EXPECT_EQ(state.close(), 1);
    EXPECT_EQ(rig.wireboxPorts(), 0);

    state.setTimeOut(2000);
    const auto start = Clock::now();
    EXPECT_FALSE(rig.receive());
    EXPECT_LT(msSince(start), 500);
}

TEST_F(PortStateTest, TimeOutDefaultsAndIsKept) {
    EXPECT_EQ(state.timeOut(), 5000u);
    EXPECT_EQ(state.setTimeOut(250), 250u);
    EXPECT_EQ(state.timeOut(), 250u);
}

TEST_F(PortStateTest, ReceiveHandsOverOnlySysExExactly) {
    EXPECT_FALSE(rig.receive()); // not open
    ASSERT_EQ(rig.open(), 1);
    state.setTimeOut(200);
    for (const Bytes& other : {Bytes{0x90, 0x3C, 0x64}, Bytes{0xF8}, Bytes{0xFE}})
        rig.samplerSends(other);
    rig.samplerSends(sysEx(7));
    EXPECT_EQ(rig.receive(), sysEx(7));
    const auto start = Clock::now();
    EXPECT_FALSE(rig.receive());
    EXPECT_GE(msSince(start), 190); // the notes did not end the wait

    rig.samplerSends(sysEx(8));
    state.setTimeOut(0); // a time-out of 0 never collects, even what waits
    EXPECT_FALSE(rig.receive());
    state.setTimeOut(200);
    EXPECT_EQ(rig.receive(), sysEx(8));
}

TEST_F(PortStateTest, MessagesKeepTheirOrderAndAFullQueueDropsNewArrivals) {
    ASSERT_EQ(rig.open(), 1);
    state.setTimeOut(2000);
    const std::size_t kept = midi::InputLimits{}.messages;
    std::thread sampler([&] {
        for (std::size_t i = 0; i < kept + 3; ++i)
            rig.samplerSends({0xF0, static_cast<std::uint8_t>(i & 0x7F),
                              static_cast<std::uint8_t>(i >> 7), 0xF7});
    });
    sampler.join(); // every message is there before the first is collected
    for (std::size_t i = 0; i < kept; ++i) {
        const auto message = rig.receive();
        ASSERT_TRUE(message) << "message " << i << " lost";
        EXPECT_EQ((*message)[1] | (*message)[2] << 7, static_cast<int>(i));
    }
    state.setTimeOut(100);
    EXPECT_FALSE(rig.receive());
}

// Each ends a receive that waits for two seconds, at once.
TEST_F(PortStateTest, AWaitingReceiveEndsAtOnce) {
    struct Case {
        const char* event;
        std::function<void(Rig&)> happen;
        std::optional<Bytes> received;
    };
    const Case cases[] = {
        {"a message", [](Rig& r) { r.samplerSends(sysEx(1)); }, sysEx(1)},
        {"CloseMidi", [](Rig& r) { r.state.close(); }, std::nullopt},
        {"the service dying", [](Rig& r) { r.bus->stopService(); }, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.event);
        Rig waiting;
        ASSERT_EQ(waiting.open(), 1);
        waiting.state.setTimeOut(2000);
        std::thread other([&] {
            std::this_thread::sleep_for(30ms);
            c.happen(waiting);
        });
        const auto start = Clock::now();
        EXPECT_EQ(waiting.receive(), c.received);
        EXPECT_LT(msSince(start), 1000);
        other.join();
        EXPECT_TRUE(shown.empty()) << "the host hears of a missing reply only";
    }
}

TEST_F(PortStateTest, LongSysExGoesBothWaysWholeUnderEitherCarriageRule) {
    const Bytes message = longSysEx(40000);
    const Bytes pieces[] = {Bytes(message.begin(), message.begin() + 20),
                            Bytes(message.begin() + 20, message.end() - 1), Bytes{0xF7}};
    const midi::Carriage carriages[] = {{}, {.largestPiece = 1000}, {.sysExWhole = true}};
    for (const midi::Carriage& carriage : carriages) {
        SCOPED_TRACE("largest piece " + std::to_string(carriage.largestPiece) + ", whole " +
                     std::to_string(carriage.sysExWhole));
        Rig rig(carriage);
        ASSERT_EQ(rig.open(), 1);
        rig.state.setTimeOut(2000);

        EXPECT_EQ(rig.transmit(message), 1);
        EXPECT_EQ(rig.samplerGot(), message);
        // One SysEx over three calls, as a sample dump goes out.
        for (const Bytes& piece : pieces) EXPECT_EQ(rig.transmit(piece), 1);
        EXPECT_EQ(rig.samplerGot(), message);

        rig.samplerSends(message);
        const auto first = rig.receive();
        const auto rest = rig.receive();
        ASSERT_TRUE(first && rest);
        ASSERT_EQ(first->size(), PortState::kLargestPart);
        Bytes joined = *first;
        joined.insert(joined.end(), rest->begin(), rest->end());
        EXPECT_EQ(joined, message);
        EXPECT_EQ(rig.bus->carriageViolations(), 0u);
    }
}

TEST_F(PortStateTest, TransmitSendsTheBytesUnchanged) {
    const Bytes request = {0xF0, 0x47, 0x00, 0x03, 0xF7};
    EXPECT_EQ(rig.transmit(request), 0); // not open
    ASSERT_EQ(rig.open(), 1);
    EXPECT_EQ(rig.transmit(request), 1);
    EXPECT_EQ(rig.samplerGot(), request);

    state.setTimeOut(0); // a ready output still takes one send
    EXPECT_EQ(rig.transmit(request), 1);
    EXPECT_EQ(rig.samplerGot(), request);
}

TEST_F(PortStateTest, AHungServiceCostsOnlyTheTimeOut) {
    ASSERT_EQ(rig.open(), 1);
    state.setTimeOut(200);
    rig.bus->hangPuts(true);
    auto start = Clock::now();
    EXPECT_EQ(rig.transmit(sysEx(1)), 0);
    EXPECT_GE(msSince(start), 150);
    EXPECT_LT(msSince(start), 1000);
    start = Clock::now();
    EXPECT_EQ(rig.transmit(sysEx(2)), 0); // the first is still stuck
    EXPECT_LT(msSince(start), 1000);

    rig.bus->hangPuts(false);
    start = Clock::now();
    EXPECT_EQ(state.close(), 1);
    EXPECT_LT(msSince(start), 1000);
    EXPECT_EQ(rig.wireboxPorts(), 0);
    EXPECT_EQ(rig.bus->puts(), 1u); // the second never reached the port
}

TEST_F(PortStateTest, NothingIsSentIntoADeadService) {
    ASSERT_EQ(rig.open(), 1);
    state.setTimeOut(1000);
    rig.bus->stopService();
    const auto start = Clock::now();
    EXPECT_EQ(rig.transmit(sysEx(1)), 0);
    EXPECT_EQ(state.programChange(0, 1), 0);
    EXPECT_LT(msSince(start), 500);
}

TEST_F(PortStateTest, ProgramChangeKeepsTheLowBitsOfChannelAndProgram) {
    EXPECT_EQ(state.programChange(0, 5), 0); // not open
    ASSERT_EQ(rig.open(), 1);
    EXPECT_EQ(state.programChange(0, 5), 1);
    EXPECT_EQ(state.programChange(15, 200), 1);
    EXPECT_EQ(rig.samplerGot(), (Bytes{0xC0, 0x05}));
    EXPECT_EQ(rig.samplerGot(), (Bytes{0xCF, 0x48}));
}

} // namespace
