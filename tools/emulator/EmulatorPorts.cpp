#include "EmulatorPorts.h"

#include "midi/MidiApi.h"

#include <algorithm>
#include <thread>

namespace emulator {
namespace {

// RtMidi's JACK output drops a message of more than 16379 bytes; longer ones go out in pieces
// that the receiver joins again (a SysEx message goes on until its F7).
constexpr std::size_t kLargestPiece = 16000;
// A MIDI cable carries 31250 baud, ten bits a byte.
constexpr double kCableBytesPerSecond = 3125.0;
constexpr std::size_t kCablePiece = 64;

} // namespace

EmulatorPorts::EmulatorPorts(const std::string& name, bool wireSpeed)
    : name_(name), wireSpeed_(wireSpeed) {}

EmulatorPorts::~EmulatorPorts() {
    if (in_) {
        in_->cancelCallback();
        in_->closePort();
    }
    midi::closeOutput(out_);
}

std::string EmulatorPorts::inputPortName() const {
    return name_ + " In:MIDI In";
}
std::string EmulatorPorts::outputPortName() const {
    return name_ + " Out:MIDI Out";
}

bool EmulatorPorts::open(std::string& error) {
    in_ = midi::makeInputClient(name_ + " In");
    out_ = midi::makeOutputClient(name_ + " Out");
    if (!in_ || !out_) {
        error =
            "no MIDI service: start a JACK server (e.g. scripts/midi-bus start suite-demo, then "
            "JACK_DEFAULT_SERVER=suite-demo) or load the ALSA sequencer";
        return false;
    }
    try {
        in_->ignoreTypes(false, false, false); // an instrument sees everything on its cable
        in_->setCallback(&EmulatorPorts::onMessage, this);
        in_->openVirtualPort("MIDI In");
        out_->openVirtualPort("MIDI Out");
    } catch (const RtMidiError& e) {
        error = "cannot open virtual MIDI ports: " + e.getMessage();
        return false;
    }
    return true;
}

void EmulatorPorts::onMessage(double, std::vector<unsigned char>* message, void* self) {
    auto* ports = static_cast<EmulatorPorts*>(self);
    {
        std::lock_guard lock(ports->mutex_);
        ports->queue_.emplace_back(message->begin(), message->end());
    }
    ports->arrived_.notify_one();
}

bool EmulatorPorts::next(Bytes& message, std::chrono::milliseconds wait) {
    std::unique_lock lock(mutex_);
    if (!arrived_.wait_for(lock, wait, [&] { return !queue_.empty(); })) return false;
    message = std::move(queue_.front());
    queue_.pop_front();
    return true;
}

void EmulatorPorts::send(const Bytes& message) {
    const std::size_t piece = wireSpeed_ ? kCablePiece : kLargestPiece;
    const auto start = std::chrono::steady_clock::now();
    for (std::size_t at = 0; at < message.size(); at += piece) {
        const std::size_t length = std::min(piece, message.size() - at);
        out_->sendMessage(message.data() + at, length);
        if (wireSpeed_) {
            // The piece has left once the cable would have carried it.
            std::this_thread::sleep_until(
                start + std::chrono::duration<double>((at + length) / kCableBytesPerSecond));
        }
    }
}

} // namespace emulator
