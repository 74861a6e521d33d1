// Receiving a voice from a scripted synthesizer on the in-memory bus: only a whole, valid dump is
// taken; every other ending says why, and none waits longer than it must.

#include "morvex/ReceiveVoice.h"
#include "midi/MemoryBus.h"
#include "morvex/Checksum.h"
#include "testing/MidiDuplexPeer.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>

using namespace morvex;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

midi::Bytes validDump() {
    MorvexState state;
    EXPECT_FALSE(LoadVoiceFile(state, KLANGOR_DATA_DIR "/initial.syx"));
    UpdateChecksum(state.voiceData);
    return dumpBytes(state);
}

// A synthesizer of device number 5 on a bus of the test's own: it answers its dump request with
// `replies`, and ignores requests for other device numbers as the real one does.
struct SynthOnBus {
    explicit SynthOnBus(std::vector<midi::Bytes> replies) : replies(std::move(replies)) {}

    ReceivedVoice receive(int deviceNumber, std::chrono::milliseconds timeout,
                          const std::atomic<bool>* cancel = nullptr) {
        ReceiveOptions options;
        options.to.portName = synth.wireboxOut;
        // No input named: the one named like the output, else the first, the synthesizer's.
        options.deviceNumber = deviceNumber;
        options.timeout = timeout;
        options.cancel = cancel;
        return ReceiveVoice(options);
    }

    midi::MemoryBus bus;
    midi::ServiceOverride guard{bus};
    std::vector<midi::Bytes> replies;
    testing_support::MidiDuplexPeer synth{
        [this](const midi::Bytes& request) -> std::optional<midi::Bytes> {
            if (request != dumpRequest(5) || replies.empty()) return std::nullopt;
            for (std::size_t i = 0; i + 1 < replies.size(); ++i) synth.send(replies[i]);
            return replies.back();
        }};
};

midi::Bytes withDevice(midi::Bytes dump, int device) {
    dump[2] = static_cast<std::uint8_t>(device);
    return dump;
}

} // namespace

TEST(ReceiveVoice, TakesOnlyAWholeValidDumpAndSaysWhyNot) {
    using Outcome = ReceivedVoice::Outcome;
    const midi::Bytes dump = withDevice(validDump(), 5);
    midi::Bytes badCheck = dump;
    badCheck[588] = static_cast<std::uint8_t>((badCheck[588] + 1) & 0x7F);
    midi::Bytes shortDump(dump.begin(), dump.begin() + 300);
    shortDump.push_back(0xF7);
    const midi::Bytes noteOn = {0x90, 60, 100};
    const midi::Bytes otherSysEx = {0xF0, 0x43, 0x05, 0x7A, 0x01, 0xF7};

    struct Case {
        const char* name;
        std::vector<midi::Bytes> replies;
        int deviceNumber;
        Outcome outcome;
        std::string says;
    };
    const Case cases[] = {
        {"a valid dump", {dump}, 5, Outcome::Received, ""},
        {"other traffic first is skipped",
         {noteOn, otherSysEx, withDevice(dump, 2), dump},
         5,
         Outcome::Received,
         ""},
        {"silence",
         {},
         5,
         Outcome::TimedOut,
         "The Morvex did not answer within 0.2 s \u2014 check the MIDI input, the cable and the "
         "device number"},
        {"another device number is not answered", {dump}, 4, Outcome::TimedOut, "within 0.2 s"},
        {"a short dump",
         {shortDump},
         5,
         Outcome::Damaged,
         "The Morvex sent a damaged voice: a voice dump has 592 bytes, this one 301"},
        {"bad check bytes",
         {badCheck},
         5,
         Outcome::Damaged,
         "The Morvex sent a damaged voice: check bytes do not fit"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SynthOnBus synth(c.replies);
        const auto start = Clock::now();
        const ReceivedVoice result = synth.receive(c.deviceNumber, 200ms);
        EXPECT_LT(Clock::now() - start, 2s);
        EXPECT_EQ(result.outcome, c.outcome) << result.text;
        EXPECT_NE(result.text.find(c.says), std::string::npos) << result.text;
        if (c.outcome == Outcome::Received) {
            EXPECT_TRUE(
                std::equal(result.dump.header.begin(), result.dump.header.end(), dump.begin()));
            EXPECT_TRUE(std::equal(result.dump.parameters.begin(), result.dump.parameters.end(),
                                   dump.begin() + kDumpHeaderSize));
        }
        EXPECT_EQ(synth.synth.waitForMessages(1, 1s),
                  std::vector<midi::Bytes>{dumpRequest(c.deviceNumber)});
    }
}

TEST(ReceiveVoice, CancelAndAStoppingServiceEndTheWaitAtOnce) {
    using Outcome = ReceivedVoice::Outcome;
    struct Case {
        const char* name;
        std::function<void(SynthOnBus&, std::atomic<bool>&)> meanwhile;
        Outcome outcome;
        std::string says;
    };
    const Case cases[] = {
        {"cancel", [](SynthOnBus&, std::atomic<bool>& cancel) { cancel = true; },
         Outcome::Cancelled, "cancelled"},
        {"service stops", [](SynthOnBus& synth, std::atomic<bool>&) { synth.bus.stopService(); },
         Outcome::ServiceStopped, "The MIDI service stopped"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SynthOnBus synth({});
        std::atomic<bool> cancel{false};
        std::thread later([&] {
            std::this_thread::sleep_for(100ms);
            c.meanwhile(synth, cancel);
        });
        const auto start = Clock::now();
        const ReceivedVoice result = synth.receive(5, 10s, &cancel);
        later.join();
        EXPECT_LT(Clock::now() - start, 2s);
        EXPECT_EQ(result.outcome, c.outcome) << result.text;
        EXPECT_NE(result.text.find(c.says), std::string::npos) << result.text;
    }
}

TEST(ReceiveVoice, AnswersOnTheInputNamedLikeTheOutput) {
    const std::vector<midi::Port> inputs = {{"Other:out"}, {"Morvex Out:MIDI Out"}};
    EXPECT_EQ(answeringInput(inputs, "Morvex In:MIDI In"), "Morvex Out:MIDI Out");
    EXPECT_EQ(answeringInput(inputs, "Synth:port 1"), "Other:out");
    EXPECT_EQ(answeringInput({}, "Morvex In:MIDI In"), "");
    EXPECT_EQ(dumpRequest(5)[2], 0x25);
}
