// The in-memory bus that the MIDI layer's tests and the components' logic tests run on: it must
// list, route and join like a real service, and its faults must look like a real service's.

#include "BusPeer.h"

#include <gtest/gtest.h>

#include <future>
#include <thread>

using namespace midi;
using midi_test::BusPeer;
using midi_test::hex;
using Put = BackendOutput::Put;

namespace {

constexpr std::chrono::seconds kLimit{5};

OpenRequest request(const char* client, const char* port, const char* connectTo = nullptr,
                    bool timingMessages = false) {
    OpenRequest request{client, port, std::nullopt, timingMessages};
    if (connectTo) request.connectTo = Port{connectTo};
    return request;
}

std::unique_ptr<BackendOutput> openOutput(MemoryBus& bus, const OpenRequest& request) {
    std::string error;
    auto output = bus.openOutput(request, error);
    EXPECT_TRUE(output) << error;
    return output;
}

Put put(BackendOutput& output, const Bytes& bytes, std::string* error = nullptr) {
    std::string ignored;
    return output.put(bytes.data(), bytes.size(), error ? *error : ignored);
}

std::vector<Bytes> hexes(const std::vector<const char*>& texts) {
    std::vector<Bytes> all;
    for (const char* text : texts) all.push_back(hex(text));
    return all;
}

} // namespace

TEST(MemoryBus, ListsEveryOpenPortUnderAClientNameNotInUse) {
    MemoryBus bus;
    BusPeer first(bus, request("Peer", "in"));
    auto output = openOutput(bus, request("Peer", "out"));
    BusPeer second(bus, request("Peer", "in"));
    // Others send to the bus's inputs and read from its outputs.
    EXPECT_EQ(namesOf(bus.ports(Direction::Output)),
              (std::vector<std::string>{"Peer:in", "Peer-02:in"}));
    EXPECT_EQ(namesOf(bus.ports(Direction::Input)), std::vector<std::string>{"Peer-01:out"});
    EXPECT_EQ(bus.openClients(), 3);

    first.port.reset();
    BusPeer third(bus, request("Peer", "again"));
    EXPECT_EQ(namesOf(bus.ports(Direction::Output)),
              (std::vector<std::string>{"Peer-02:in", "Peer:again"}));
    EXPECT_EQ(bus.openClients(), 3);
}

TEST(MemoryBus, DeliversWhereEitherSideNamedTheOther) {
    struct Case {
        const char* name;
        bool outputNamesInput;
        bool inputNamesOutput;
    };
    const Case cases[] = {
        {"the output names the input", true, false},
        {"the input names the output", false, true},
        {"neither", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryBus bus;
        BusPeer bystander(bus, request("Bystander", "in"));
        std::unique_ptr<BackendOutput> output;
        if (c.inputNamesOutput) output = openOutput(bus, request("Sender", "out"));
        BusPeer receiver(bus,
                         request("Receiver", "in", c.inputNamesOutput ? "Sender:out" : nullptr));
        if (!output)
            output = openOutput(
                bus, request("Sender", "out", c.outputNamesInput ? "Receiver:in" : nullptr));

        EXPECT_EQ(put(*output, hex("90 40 7F")), Put::Taken);
        EXPECT_EQ(output->drain(kLimit), BackendOutput::Drained::Done);
        const bool connected = c.outputNamesInput || c.inputNamesOutput;
        EXPECT_EQ(receiver.messages(), connected ? hexes({"90 40 7F"}) : std::vector<Bytes>{});
        EXPECT_TRUE(bystander.messages().empty());
        EXPECT_EQ(bus.puts(), 1u);
    }
}

TEST(MemoryBus, AConnectionIsToThePortNotToItsName) {
    MemoryBus bus;
    std::string error;
    EXPECT_FALSE(bus.openOutput(request("Sender", "out", "Gone:in"), error));
    EXPECT_EQ(error, "The MIDI port \"Gone:in\" has gone.");
    // An input connects to an output only.
    auto receiver = std::make_unique<BusPeer>(bus, request("Receiver", "in"));
    EXPECT_FALSE(bus.openInput(request("Other", "in", "Receiver:in"), {}, error));

    auto output = openOutput(bus, request("Sender", "out", "Receiver:in"));
    receiver.reset();
    BusPeer successor(bus, request("Receiver", "in")); // the same name, a new port
    EXPECT_EQ(put(*output, hex("90 40 7F")), Put::Taken);
    EXPECT_EQ(output->drain(kLimit), BackendOutput::Drained::PortGone)
        << "what was sent to a port that has gone did not arrive";
    EXPECT_TRUE(successor.messages().empty());
}

TEST(MemoryBus, JoinsSysExPiecesAsRtMidiDoesAndDropsTimingUnlessAsked) {
    struct Case {
        const char* name;
        std::vector<const char*> puts;
        bool timingMessages;
        bool cutFirst;
        std::vector<const char*> arrive;
    };
    const Case cases[] = {
        {"a put is a message", {"90 40 7F", "F0 01 F7"}, false, false, {"90 40 7F", "F0 01 F7"}},
        {"pieces joined", {"F0 01 02", "03", "04 F7"}, false, false, {"F0 01 02 03 04 F7"}},
        {"clock between pieces", {"F0 01", "F8", "02 F7"}, true, false, {"F8", "F0 01 02 F7"}},
        {"timing dropped", {"F8", "F0 01", "FE", "02 F7"}, false, false, {"F0 01 02 F7"}},
        {"no F7, no message", {"F0 01 02", "F0 03 F7"}, false, false, {"F0 03 F7"}},
        {"a note ends a SysEx", {"F0 01", "90 40 7F", "02 F7"}, false, false, {"90 40 7F"}},
        {"a cut SysEx never arrives", {"F0 01 02 F7", "F0 03 F7"}, false, true, {"F0 03 F7"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryBus bus;
        BusPeer receiver(bus, request("Receiver", "in", nullptr, c.timingMessages));
        auto output = openOutput(bus, request("Sender", "out", "Receiver:in"));
        if (c.cutFirst) bus.cutNextMessage();
        for (const Bytes& piece : hexes(c.puts)) EXPECT_EQ(put(*output, piece), Put::Taken);
        EXPECT_EQ(output->drain(kLimit), BackendOutput::Drained::Done);
        EXPECT_EQ(receiver.messages(), hexes(c.arrive));
    }
}

TEST(MemoryBus, CountsAndDropsPutsThatBreakTheCarriageRule) {
    struct Case {
        const char* name;
        Carriage carriage;
        const char* bytes;
        Put result;
        bool arrives;
    };
    const Carriage pieces{.largestPiece = 4};
    const Carriage whole{.sysExWhole = true};
    const Case cases[] = {
        {"a piece that fits", pieces, "F0 01 02 F7", Put::Taken, true},
        {"a piece too long", pieces, "F0 01 02 03 F7", Put::Refused, false},
        {"a whole SysEx", whole, "F0 01 02 03 F7", Put::Taken, true},
        {"a short message", whole, "90 40 7F", Put::Taken, true},
        {"a long piece without F0", whole, "01 02 03 F7", Put::Taken, false},
        {"a SysEx without F7", whole, "F0 01 02", Put::Taken, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryBus bus(c.carriage);
        BusPeer receiver(bus, request("Receiver", "in"));
        auto output = openOutput(bus, request("Sender", "out", "Receiver:in"));
        std::string error;
        EXPECT_EQ(put(*output, hex(c.bytes), &error), c.result);
        EXPECT_EQ(error.empty(), c.result == Put::Taken) << error;
        EXPECT_EQ(output->drain(kLimit), BackendOutput::Drained::Done);
        EXPECT_EQ(receiver.messages().size(), c.arrives ? 1u : 0u);
        EXPECT_EQ(bus.carriageViolations(), c.arrives ? 0u : 1u);
    }
}

TEST(MemoryBus, AStoppedServiceTellsEveryInputOnceAndRefusesEverything) {
    MemoryBus bus;
    BusPeer receiver(bus, request("Receiver", "in"));
    auto output = openOutput(bus, request("Sender", "out", "Receiver:in"));
    bus.stopService();
    bus.stopService();
    EXPECT_EQ(receiver.stops(), 1);

    std::string error;
    EXPECT_EQ(put(*output, hex("90 40 7F"), &error), Put::ServiceStopped);
    EXPECT_EQ(error, "The MIDI service stopped");
    EXPECT_EQ(output->drain(kLimit), BackendOutput::Drained::ServiceStopped);
    EXPECT_TRUE(bus.ports(Direction::Input).empty());
    EXPECT_TRUE(bus.ports(Direction::Output).empty());
    EXPECT_EQ(bus.problem(), "The MIDI service stopped");
    EXPECT_FALSE(bus.openOutput(request("Sender", "other"), error));
    EXPECT_EQ(error, "The MIDI service stopped");
}

TEST(MemoryBus, RefusedOpensAndBusyPutsTakeNothing) {
    MemoryBus bus;
    std::string error;
    bus.refuseOpens(true);
    EXPECT_FALSE(bus.openInput(request("Receiver", "in"), {}, error));
    EXPECT_EQ(error, "The MIDI service refused the port");
    EXPECT_EQ(bus.openClients(), 0);
    bus.refuseOpens(false);

    auto output = openOutput(bus, request("Sender", "out"));
    bus.answerBusy(2);
    EXPECT_EQ(put(*output, hex("90 40 7F")), Put::Busy);
    EXPECT_EQ(put(*output, hex("90 40 7F")), Put::Busy);
    EXPECT_EQ(put(*output, hex("90 40 7F")), Put::Taken);
    EXPECT_EQ(bus.puts(), 1u);
}

TEST(MemoryBus, AHungPutWaitsUntilReleased) {
    struct Case {
        const char* name;
        void (*release)(std::unique_ptr<MemoryBus>&);
        Put result;
    };
    const Case cases[] = {
        {"by the test", [](auto& bus) { bus->hangPuts(false); }, Put::Taken},
        {"by a stopping service", [](auto& bus) { bus->stopService(); }, Put::ServiceStopped},
        {"by the bus's end", [](auto& bus) { bus.reset(); }, Put::Refused},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto bus = std::make_unique<MemoryBus>();
        auto output = openOutput(*bus, request("Sender", "out"));
        bus->hangPuts(true);
        auto result = std::async(std::launch::async, [&] { return put(*output, hex("F8")); });
        EXPECT_EQ(result.wait_for(std::chrono::milliseconds(50)), std::future_status::timeout);
        c.release(bus);
        EXPECT_EQ(result.get(), c.result);
    }
}

TEST(MemoryBus, NoHandlerOfAnInputRunsOnceItIsClosed) {
    MemoryBus bus;
    std::promise<void> entered;
    std::atomic<int> calls{0};
    std::atomic<bool> finished{false};
    InputHandlers handlers{.message =
                               [&](const std::uint8_t*, std::size_t) {
                                   if (++calls == 1) entered.set_value();
                                   std::this_thread::sleep_for(std::chrono::milliseconds(100));
                                   finished = true;
                               },
                           .serviceStopped = {}};
    std::string error;
    auto input = bus.openInput(request("Receiver", "in"), std::move(handlers), error);
    auto output = openOutput(bus, request("Sender", "out", "Receiver:in"));
    put(*output, hex("90 40 7F"));
    put(*output, hex("80 40 00"));
    entered.get_future().wait();
    input.reset();
    EXPECT_TRUE(finished) << "the port closed while its handler still ran";
    output->drain(kLimit); // the second message has had its chance to arrive
    EXPECT_EQ(calls, 1);
}
