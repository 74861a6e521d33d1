#include "MidiSystem.h"
#include "midi/MidiApi.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace wirebox {
namespace {

// RtMidi reports problems through this callback once a client exists; keep the last text.
void recordError(RtMidiError::Type, const std::string& text, void* sink) {
    *static_cast<std::string*>(sink) = text;
}

class RtMidiOutputPort : public MidiOutputPort {
public:
    explicit RtMidiOutputPort(std::unique_ptr<RtMidiOut> out) : out_(std::move(out)) {
        out_->setErrorCallback(recordError, &error_);
    }
    ~RtMidiOutputPort() override { midi::closeOutput(out_); }

    bool send(const std::uint8_t* bytes, std::size_t length) override {
        error_.clear();
        out_->sendMessage(bytes, length);
        return error_.empty();
    }

private:
    std::unique_ptr<RtMidiOut> out_;
    std::string error_;
};

class RtMidiInputPort : public MidiInputPort {
public:
    RtMidiInputPort(std::unique_ptr<RtMidiIn> in, MidiSystem::MessageCallback onMessage)
        : in_(std::move(in)), onMessage_(std::move(onMessage)) {
        in_->setCallback(&RtMidiInputPort::deliver, this);
    }
    ~RtMidiInputPort() override {
        in_->cancelCallback();
        in_->closePort();
    }

private:
    static void deliver(double, std::vector<unsigned char>* message, void* self) {
        auto* port = static_cast<RtMidiInputPort*>(self);
        port->onMessage_(Bytes(message->begin(), message->end()));
    }

    std::unique_ptr<RtMidiIn> in_;
    MidiSystem::MessageCallback onMessage_;
};

// A port's number can change between listing and opening when another program opens or closes a
// port meanwhile; so a port is opened by the name that was listed under its number, looked up
// again by the client that opens it.
int currentIndex(RtMidi& client, const std::vector<std::string>& listed, int index,
                 std::string& error) {
    if (index < 0 || static_cast<std::size_t>(index) >= listed.size()) {
        error = "The MIDI port is not listed.";
        return -1;
    }
    const auto names = midi::portNames(client);
    const auto found =
        std::find(names.begin(), names.end(), listed[static_cast<std::size_t>(index)]);
    if (found == names.end()) {
        error = "The MIDI port \"" + listed[static_cast<std::size_t>(index)] + "\" has gone.";
        return -1;
    }
    return static_cast<int>(found - names.begin());
}

class RtMidiSystem : public MidiSystem {
public:
    std::vector<std::string> inputNames() override {
        auto in = midi::makeInputClient("Wirebox list");
        listedInputs_ = in ? midi::portNames(*in) : std::vector<std::string>{};
        return listedInputs_;
    }

    std::vector<std::string> outputNames() override {
        auto out = midi::makeOutputClient("Wirebox list");
        listedOutputs_ = out ? midi::portNames(*out) : std::vector<std::string>{};
        return listedOutputs_;
    }

    // JACK refuses a new client now and then (about one open in a hundred on a busy machine,
    // "Cannot open ... client"); a second try a moment later succeeds.
    std::unique_ptr<MidiInputPort> openInput(int index, MessageCallback onMessage,
                                             std::string& error) override {
        auto port = openInputOnce(index, onMessage, error);
        if (!port && !portGone(error)) {
            std::this_thread::sleep_for(kRetryPause);
            error.clear();
            port = openInputOnce(index, onMessage, error);
        }
        return port;
    }

    std::unique_ptr<MidiOutputPort> openOutput(int index, std::string& error) override {
        auto port = openOutputOnce(index, error);
        if (!port && !portGone(error)) {
            std::this_thread::sleep_for(kRetryPause);
            error.clear();
            port = openOutputOnce(index, error);
        }
        return port;
    }

    // RtMidi's JACK output drops a message of more than 16379 bytes without a word.
    std::size_t largestPiece() const override { return 16000; }

private:
    static constexpr std::chrono::milliseconds kRetryPause{100};

    static bool portGone(const std::string& error) {
        return error.find("has gone") != std::string::npos;
    }

    std::unique_ptr<MidiInputPort> openInputOnce(int index, const MessageCallback& onMessage,
                                                 std::string& error) {
        auto in = midi::makeInputClient("Wirebox in");
        if (!in) {
            error = "The MIDI service cannot be reached.";
            return nullptr;
        }
        in->setErrorCallback(recordError, &error);
        // SysEx is what Wirebox is for; clock and active sensing never reach the caller.
        in->ignoreTypes(false, true, true);
        index = currentIndex(*in, listedInputs_, index, error);
        if (index < 0) return nullptr;
        in->openPort(static_cast<unsigned>(index), "Wirebox in");
        if (!in->isPortOpen()) {
            if (error.empty()) error = "The MIDI input cannot be opened.";
            return nullptr;
        }
        in->setErrorCallback(nullptr, nullptr);
        const RtMidi::Api api = in->getCurrentApi();
        auto port = std::make_unique<RtMidiInputPort>(std::move(in), onMessage);
        midi::waitUntilConnectionIsLive(api);
        return port;
    }

    std::unique_ptr<MidiOutputPort> openOutputOnce(int index, std::string& error) {
        auto out = midi::makeOutputClient("Wirebox out");
        if (!out) {
            error = "The MIDI service cannot be reached.";
            return nullptr;
        }
        out->setErrorCallback(recordError, &error);
        index = currentIndex(*out, listedOutputs_, index, error);
        if (index < 0) return nullptr;
        out->openPort(static_cast<unsigned>(index), "Wirebox out");
        if (!out->isPortOpen()) {
            if (error.empty()) error = "The MIDI output cannot be opened.";
            return nullptr;
        }
        midi::waitUntilConnectionIsLive(out->getCurrentApi());
        return std::make_unique<RtMidiOutputPort>(std::move(out));
    }

    std::vector<std::string> listedInputs_, listedOutputs_;
};

} // namespace

std::shared_ptr<MidiSystem> makeRtMidiSystem() {
    return std::make_shared<RtMidiSystem>();
}

} // namespace wirebox
