#include "EmulatorPorts.h"

#include "midi/Pacer.h"

#include <algorithm>
#include <thread>

namespace emulator {
namespace {

// At wire speed a reply goes out in pieces this small, so that a receiver sees it arrive at the
// cable's pace.
constexpr std::size_t kCablePiece = 64;

} // namespace

EmulatorPorts::EmulatorPorts(std::string name, bool wireSpeed, midi::Backend& backend,
                             std::chrono::milliseconds sendLimit)
    : name_(std::move(name)), wireSpeed_(wireSpeed), backend_(backend), sendLimit_(sendLimit) {}

std::string EmulatorPorts::inputPortName() const {
    return name_ + " In:MIDI In";
}
std::string EmulatorPorts::outputPortName() const {
    return name_ + " Out:MIDI Out";
}

bool EmulatorPorts::open(std::string& error) {
    // An instrument sees everything on its cable, clock and active sensing included.
    in_ = midi::MidiInput::open({.clientName = name_ + " In",
                                 .portName = "MIDI In",
                                 .connectTo = std::nullopt,
                                 .timingMessages = true},
                                error, backend_);
    if (in_)
        out_ = midi::MidiOutput::open(
            {.clientName = name_ + " Out", .portName = "MIDI Out", .connectTo = std::nullopt},
            error, backend_);
    if (in_ && out_) return true;
    in_.reset();
    error = "cannot create the MIDI ports: " + error;
    return false;
}

midi::MidiInput::Outcome EmulatorPorts::next(Bytes& message, std::chrono::milliseconds wait) {
    return in_->next(message, wait);
}

midi::MidiOutput::Result EmulatorPorts::send(const Bytes& message, const std::atomic<bool>& stop) {
    if (!wireSpeed_) return out_->send(message, sendLimit_);
    const auto start = std::chrono::steady_clock::now();
    for (std::size_t at = 0; at < message.size(); at += kCablePiece) {
        const std::size_t length = std::min(kCablePiece, message.size() - at);
        // A piece leaves when its last byte would have come out of the cable, never earlier.
        std::this_thread::sleep_until(
            start + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                        std::chrono::duration<double>((at + length) / midi::kCableBytesPerSecond)));
        if (stop) return {midi::MidiOutput::Outcome::Closed, {}};
        const auto piece = message.begin() + static_cast<std::ptrdiff_t>(at);
        if (auto result =
                out_->send(Bytes(piece, piece + static_cast<std::ptrdiff_t>(length)), sendLimit_);
            !result)
            return result;
    }
    return {};
}

} // namespace emulator
