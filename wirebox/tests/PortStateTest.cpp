// The port logic on a fake MIDI service: lookup by name, nothing left open after a failure,
// the bounded receive queue, and sends that keep their time-out when the service hangs.

#include "PortState.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <thread>

namespace {

using namespace std::chrono_literals;
using wirebox::Bytes;
using wirebox::PortState;
using Clock = std::chrono::steady_clock;

class FakeMidiSystem : public wirebox::MidiSystem,
                       public std::enable_shared_from_this<FakeMidiSystem> {
public:
    std::vector<std::string> inputs, outputs;
    std::string inputError, outputError; // non-empty: that open fails with this text
    std::size_t piece = 1024;
    std::atomic<int> openInputs{0}, openOutputs{0};
    int inputIndex = -1, outputIndex = -1;

    std::vector<std::string> inputNames() override { return inputs; }
    std::vector<std::string> outputNames() override { return outputs; }
    std::size_t largestPiece() const override { return piece; }

    std::unique_ptr<wirebox::MidiInputPort> openInput(int index, MessageCallback onMessage,
                                                      std::string& error) override {
        inputIndex = index;
        if (!inputError.empty()) {
            error = inputError;
            return nullptr;
        }
        std::lock_guard lock(mutex_);
        callback_ = std::move(onMessage);
        return std::make_unique<Input>(shared_from_this());
    }

    std::unique_ptr<wirebox::MidiOutputPort> openOutput(int index, std::string& error) override {
        outputIndex = index;
        if (!outputError.empty()) {
            error = outputError;
            return nullptr;
        }
        return std::make_unique<Output>(shared_from_this());
    }

    // As the service's thread would; false when no input is open to take it.
    bool deliver(const Bytes& message) {
        std::lock_guard lock(mutex_);
        if (!callback_) return false;
        callback_(message);
        return true;
    }

    std::vector<Bytes> pieces() {
        std::lock_guard lock(mutex_);
        return pieces_;
    }

    void blockSends(bool blocked) {
        std::lock_guard lock(mutex_);
        blocked_ = blocked;
        released_.notify_all();
    }

private:
    struct Input : wirebox::MidiInputPort {
        std::shared_ptr<FakeMidiSystem> fake;
        explicit Input(std::shared_ptr<FakeMidiSystem> f) : fake(std::move(f)) {
            ++fake->openInputs;
        }
        ~Input() override {
            std::lock_guard lock(fake->mutex_); // waits for a delivery in progress
            fake->callback_ = nullptr;
            --fake->openInputs;
        }
    };
    struct Output : wirebox::MidiOutputPort {
        std::shared_ptr<FakeMidiSystem> fake;
        explicit Output(std::shared_ptr<FakeMidiSystem> f) : fake(std::move(f)) {
            ++fake->openOutputs;
        }
        ~Output() override { --fake->openOutputs; }
        bool send(const std::uint8_t* bytes, std::size_t length) override {
            std::unique_lock lock(fake->mutex_);
            fake->released_.wait(lock, [&] { return !fake->blocked_; }); // a dead service
            fake->pieces_.emplace_back(bytes, bytes + length);
            return true;
        }
    };

    std::mutex mutex_;
    std::condition_variable released_;
    MessageCallback callback_;
    std::vector<Bytes> pieces_;
    bool blocked_ = false;
};

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

class PortStateTest : public ::testing::Test {
protected:
    void SetUp() override {
        shown.clear();
        fake->inputs = {"Keyboard", "Sampler In", "Sampler In"};
        fake->outputs = {"Sampler Out", "Sampler Out", "Keyboard"};
        state.setMessageSink(capture);
    }
    void TearDown() override { fake->blockSends(false); }

    int openSampler() { return state.open(&owner, 3, "Sampler In", "Sampler Out"); }

    std::optional<Bytes> receive() {
        std::uint32_t length = 0;
        std::uint8_t* block = state.receive(&length);
        if (!block) return std::nullopt;
        Bytes bytes(block, block + length);
        std::free(block);
        return bytes;
    }

    int owner = 0;
    std::shared_ptr<FakeMidiSystem> fake = std::make_shared<FakeMidiSystem>();
    PortState state{fake};
};

TEST_F(PortStateTest, OpensTheFirstPortOfTheExactName) {
    EXPECT_EQ(openSampler(), 1);
    EXPECT_EQ(fake->inputIndex, 1);
    EXPECT_EQ(fake->outputIndex, 0);
    EXPECT_EQ(state.channel(), 3);
    EXPECT_TRUE(state.isInputOpen());
    EXPECT_TRUE(shown.empty());
    // Opening again closes the first pair rather than leaking it.
    EXPECT_EQ(openSampler(), 1);
    EXPECT_EQ(fake->openInputs, 1);
    EXPECT_EQ(fake->openOutputs, 1);
}

TEST_F(PortStateTest, UnknownOrMissingNameOpensNothing) {
    for (const char* in : {"sampler in", static_cast<const char*>(nullptr)}) {
        shown.clear();
        EXPECT_EQ(state.open(&owner, 9, in, "Sampler Out"), 0);
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_FALSE(shown[0].hasCaption);
        EXPECT_EQ(shown[0].text, "No MIDI devices - check configuration");
        EXPECT_EQ(shown[0].owner, &owner);
        EXPECT_EQ(state.channel(), 9);
        EXPECT_EQ(fake->openInputs + fake->openOutputs, 0);
    }
    EXPECT_EQ(state.open(&owner, 1, "Sampler In", nullptr), 0);
    EXPECT_EQ(fake->openInputs + fake->openOutputs, 0);
}

TEST_F(PortStateTest, DriverFailuresLeaveNothingOpen) {
    fake->inputError = "input busy";
    EXPECT_EQ(openSampler(), 0);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, "MIDI Input Driver");
    EXPECT_EQ(shown[0].text, "input busy");
    EXPECT_EQ(shown[0].owner, &owner);
    EXPECT_FALSE(state.isInputOpen());

    fake->inputError.clear();
    fake->outputError = "output busy";
    EXPECT_EQ(openSampler(), 0);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1].caption, "MIDI Output Driver");
    EXPECT_EQ(shown[1].text, "output busy");
    EXPECT_EQ(fake->openInputs, 0); // the input opened first is closed again
    EXPECT_FALSE(state.isInputOpen());
    EXPECT_FALSE(fake->deliver(sysEx(1)));
}

TEST_F(PortStateTest, CloseIsHarmlessAndStopsReceiving) {
    EXPECT_EQ(state.close(), 1); // before any open
    ASSERT_EQ(openSampler(), 1);
    EXPECT_EQ(state.close(), 1);
    EXPECT_EQ(state.close(), 1);
    EXPECT_EQ(fake->openInputs + fake->openOutputs, 0);

    state.setTimeOut(2000);
    const auto start = Clock::now();
    EXPECT_FALSE(receive());
    EXPECT_LT(msSince(start), 500);
}

TEST_F(PortStateTest, TimeOutDefaultsAndIsKept) {
    EXPECT_EQ(state.timeOut(), 5000u);
    EXPECT_EQ(state.setTimeOut(250), 250u);
    EXPECT_EQ(state.timeOut(), 250u);
}

TEST_F(PortStateTest, ReceiveHandsOverOnlySysExExactly) {
    EXPECT_FALSE(receive()); // not open
    ASSERT_EQ(openSampler(), 1);
    state.setTimeOut(100);
    fake->deliver({0x90, 0x3C, 0x64});
    fake->deliver({0xF8});
    fake->deliver({0xFE});
    fake->deliver(sysEx(7));
    std::uint32_t length = 0;
    std::uint8_t* block = state.receive(&length);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(Bytes(block, block + length), sysEx(7));
    std::free(block);
    EXPECT_FALSE(receive());

    fake->deliver(sysEx(8));
    state.setTimeOut(0); // a time-out of 0 never collects, even what waits
    EXPECT_FALSE(receive());
}

TEST_F(PortStateTest, LongMessageArrivesInParts) {
    ASSERT_EQ(openSampler(), 1);
    state.setTimeOut(100);
    Bytes message(40000);
    for (std::size_t i = 0; i < message.size(); ++i)
        message[i] = static_cast<std::uint8_t>(i % 0x7F);
    message.front() = 0xF0;
    message.back() = 0xF7;
    fake->deliver(message);
    const auto first = receive();
    const auto rest = receive();
    ASSERT_TRUE(first && rest);
    ASSERT_EQ(first->size(), PortState::kLargestPart);
    EXPECT_NE(first->back(), 0xF7);
    Bytes joined = *first;
    joined.insert(joined.end(), rest->begin(), rest->end());
    EXPECT_EQ(joined, message);
}

TEST_F(PortStateTest, MessagesFromAnotherThreadKeepTheirOrder) {
    ASSERT_EQ(openSampler(), 1);
    state.setTimeOut(2000);
    std::thread service([&] {
        for (int i = 0; i < 100; ++i) fake->deliver(sysEx(static_cast<std::uint8_t>(i)));
    });
    for (int i = 0; i < 100; ++i) {
        const auto message = receive();
        ASSERT_TRUE(message) << "message " << i << " lost";
        EXPECT_EQ(*message, sysEx(static_cast<std::uint8_t>(i)));
    }
    service.join();
}

TEST_F(PortStateTest, FullQueueDropsNewArrivals) {
    ASSERT_EQ(openSampler(), 1);
    state.setTimeOut(100);
    const std::size_t limit = PortState::kQueuedMessagesLimit;
    for (std::size_t i = 0; i < limit + 3; ++i)
        fake->deliver(
            {0xF0, static_cast<std::uint8_t>(i & 0x7F), static_cast<std::uint8_t>(i >> 7), 0xF7});
    EXPECT_EQ(state.droppedMessages(), 3u);
    for (std::size_t i = 0; i < limit; ++i) {
        const auto message = receive();
        ASSERT_TRUE(message);
        EXPECT_EQ((*message)[1] | (*message)[2] << 7, static_cast<int>(i));
    }
    EXPECT_FALSE(receive());
}

TEST_F(PortStateTest, WaitingReceiveWakesAtOnce) {
    ASSERT_EQ(openSampler(), 1);
    state.setTimeOut(2000);
    std::thread service([&] {
        std::this_thread::sleep_for(30ms);
        fake->deliver(sysEx(1));
    });
    auto start = Clock::now();
    EXPECT_EQ(receive(), sysEx(1));
    EXPECT_LT(msSince(start), 1000);
    service.join();

    std::thread closer([&] {
        std::this_thread::sleep_for(30ms);
        state.close();
    });
    start = Clock::now();
    EXPECT_FALSE(receive());
    EXPECT_LT(msSince(start), 1000);
    closer.join();
}

TEST_F(PortStateTest, TransmitSendsBytesUnchangedInPieces) {
    const Bytes request = {0xF0, 0x47, 0x00, 0x03, 0xF7};
    EXPECT_EQ(state.transmit(request.data(), 5), 0); // not open
    fake->piece = 10;
    ASSERT_EQ(openSampler(), 1);
    EXPECT_EQ(state.transmit(request.data(), 5), 1);
    ASSERT_EQ(fake->pieces().size(), 1u);
    EXPECT_EQ(fake->pieces()[0], request);

    Bytes longer(25);
    for (std::size_t i = 0; i < longer.size(); ++i) longer[i] = static_cast<std::uint8_t>(i);
    EXPECT_EQ(state.transmit(longer.data(), 25), 1);
    const auto pieces = fake->pieces();
    ASSERT_EQ(pieces.size(), 4u);
    Bytes joined;
    for (std::size_t i = 1; i < pieces.size(); ++i) {
        EXPECT_LE(pieces[i].size(), 10u);
        joined.insert(joined.end(), pieces[i].begin(), pieces[i].end());
    }
    EXPECT_EQ(joined, longer);

    state.setTimeOut(0); // a ready output still takes one send
    EXPECT_EQ(state.transmit(request.data(), 5), 1);
    EXPECT_EQ(fake->pieces().size(), 5u);
}

TEST_F(PortStateTest, HungServiceCostsOnlyTheTimeOut) {
    ASSERT_EQ(openSampler(), 1);
    state.setTimeOut(200);
    fake->blockSends(true);
    const Bytes message = sysEx(1);
    auto start = Clock::now();
    EXPECT_EQ(state.transmit(message.data(), 4), 0);
    EXPECT_GE(msSince(start), 150);
    EXPECT_LT(msSince(start), 2000);
    start = Clock::now();
    EXPECT_EQ(state.transmit(message.data(), 4), 0); // the first is still stuck
    EXPECT_LT(msSince(start), 2000);

    fake->blockSends(false);
    start = Clock::now();
    EXPECT_EQ(state.close(), 1);
    EXPECT_LT(msSince(start), 2000);
    EXPECT_EQ(fake->openOutputs, 0);
    EXPECT_EQ(fake->pieces().size(), 1u); // the second never reached the port
}

TEST_F(PortStateTest, ProgramChange) {
    EXPECT_EQ(state.programChange(0, 5), 0); // not open
    ASSERT_EQ(openSampler(), 1);
    EXPECT_EQ(state.programChange(0, 5), 1);
    EXPECT_EQ(state.programChange(15, 200), 1);
    const auto pieces = fake->pieces();
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0], (Bytes{0xC0, 0x05}));
    EXPECT_EQ(pieces[1], (Bytes{0xCF, 0x48}));
}

} // namespace
