// The emulator's loop and the test peers on an in-memory MIDI bus: a reply must arrive whole
// whatever a service takes in one call (pieces, or a SysEx only whole), also at cable speed, and
// a service that hangs or stops must never wedge the loop.

#include "EmulatorPorts.h"
#include "InstrumentLoop.h"
#include "PulvexModule.h"
#include "midi/MemoryBus.h"
#include "testing/MidiDuplexPeer.h"
#include "testing/MidiPeer.h"

#include <gtest/gtest.h>
#include <thread>

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using emulator::Bytes;

namespace {

const Bytes kKitRequest = {0xF0, 0x43, 0x20, 0x7A, 'L',  'M',  ' ',  ' ',  '0', '0', '8',
                           '7',  'K',  'T',  0,    0,    0,    0,    0,    0,   0,   0,
                           0,    0,    0,    0,    0x00, 0x00, 0x00, 0x00, 0xF7};

midi::OpenRequest connectedTo(const std::string& port) {
    midi::OpenRequest request;
    request.clientName = "Pulvex";
    request.portName = "port";
    request.connectTo = midi::Port{port};
    return request;
}

// The module running on `bus`, and the suite's ports on the other end of its cable.
class ModuleOnBus {
public:
    ModuleOnBus(midi::MemoryBus& bus, bool wireSpeed)
        : ports_("Module", wireSpeed, bus, 200ms),
          module_(emulator::builtInSetup(), 0, emulator::Fault::None) {
        std::string error;
        EXPECT_TRUE(ports_.open(error)) << error;
        loop_ = std::thread([this] { emulator::runInstrument(ports_, module_, log_, stop_); });
        toModule = midi::MidiOutput::open(connectedTo(ports_.inputPortName()), error, bus);
        fromModule = midi::MidiInput::open(connectedTo(ports_.outputPortName()), error, bus);
        EXPECT_TRUE(toModule && fromModule) << error;
    }
    ~ModuleOnBus() { stop(); }

    // Sends the request and returns the first reply within `wait`, or nothing.
    std::optional<Bytes> ask(std::chrono::milliseconds wait = 2s) {
        if (!toModule->send(kKitRequest, 1s)) return std::nullopt;
        Bytes reply;
        if (fromModule->next(reply, wait) != midi::MidiInput::Outcome::Message) return std::nullopt;
        return reply;
    }

    // How long the loop took to end once asked to.
    Clock::duration stop() {
        const auto start = Clock::now();
        stop_ = true;
        if (loop_.joinable()) loop_.join();
        return Clock::now() - start;
    }

    std::shared_ptr<midi::MidiOutput> toModule;
    std::shared_ptr<midi::MidiInput> fromModule;

private:
    emulator::EmulatorPorts ports_;
    emulator::PulvexModule module_;
    emulator::WireLog log_;
    std::atomic<bool> stop_{false};
    std::thread loop_;
};

} // namespace

TEST(EmulatorOnMemoryBus, RepliesArriveWholeWhateverTheServiceTakesInOneCall) {
    struct Case {
        const char* name;
        midi::Carriage carriage;
        bool wireSpeed;
    };
    const Case cases[] = {
        {"any length", {}, false},
        {"pieces of 100 bytes", {.largestPiece = 100, .sysExWhole = false}, false},
        {"SysEx only whole", {.sysExWhole = true}, false},
        {"pieces of 100 bytes at cable speed", {.largestPiece = 100, .sysExWhole = false}, true},
        {"SysEx only whole at cable speed", {.sysExWhole = true}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        midi::MemoryBus bus(c.carriage);
        ModuleOnBus module(bus, c.wireSpeed);
        const auto start = Clock::now();
        const auto reply = module.ask();
        const auto took = Clock::now() - start;
        ASSERT_TRUE(reply);
        ASSERT_GT(reply->size(), 16u);
        EXPECT_EQ(reply->front(), 0xF0);
        EXPECT_EQ(reply->back(), 0xF7);
        EXPECT_EQ(std::string(reply->begin() + 14, reply->begin() + 16), "KT");
        EXPECT_EQ(bus.carriageViolations(), 0u);
        if (c.wireSpeed) { // never faster than the cable: 3125 bytes a second
            EXPECT_GE(took, std::chrono::milliseconds(reply->size() * 1000 / 3125));
        }
    }
}

TEST(EmulatorOnMemoryBus, AServiceThatHangsOrStopsNeverWedgesTheLoop) {
    midi::MemoryBus bus;
    ModuleOnBus module(bus, false);
    // A reply stuck in the service is given up, and the next request is served.
    bus.hangPuts(true);
    EXPECT_FALSE(module.ask(300ms));
    bus.hangPuts(false);
    EXPECT_TRUE(module.ask());

    testing::internal::CaptureStdout();
    bus.stopService();
    std::this_thread::sleep_for(100ms);
    EXPECT_LT(module.stop(), 500ms);
    EXPECT_NE(testing::internal::GetCapturedStdout().find("MIDI service stopped"),
              std::string::npos);
}

// The peers of the bus tests stand on whatever service the process has, so a test can put them
// on an in-memory bus.
TEST(PeersOnMemoryBus, DuplexPeerAnswersFromItsScriptAndInputPeerCollects) {
    midi::MemoryBus bus;
    midi::ServiceOverride installed(bus);
    testing_support::MidiDuplexPeer echo(
        [](const Bytes& message) { return std::optional<Bytes>(message); });
    ASSERT_TRUE(echo.ready());
    testing_support::MidiInputPeer collector(testing_support::MidiInputPeer::uniqueName("Synth"));
    ASSERT_GE(collector.outputIndex(), 0);

    std::string error;
    auto toEcho = midi::MidiOutput::open(connectedTo(echo.wireboxOut), error);
    auto fromEcho = midi::MidiInput::open(connectedTo(echo.wireboxIn), error);
    const auto outputs = bus.ports(midi::Direction::Output);
    auto toCollector = midi::MidiOutput::open(
        connectedTo(outputs.at(static_cast<std::size_t>(collector.outputIndex())).name), error);
    ASSERT_TRUE(toEcho && fromEcho && toCollector) << error;

    const Bytes message = {0xF0, 0x7D, 0x01, 0x02, 0xF7};
    EXPECT_TRUE(toEcho->send(message, 1s));
    Bytes echoed;
    EXPECT_EQ(fromEcho->next(echoed, 2s), midi::MidiInput::Outcome::Message);
    EXPECT_EQ(echoed, message);
    EXPECT_EQ(echo.waitForMessages(1, 2s), std::vector<Bytes>{message});

    EXPECT_TRUE(toCollector->send(message, 1s));
    EXPECT_EQ(collector.waitForMessages(1, 2s), std::vector<Bytes>{message});
}
