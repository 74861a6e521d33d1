#pragma once
// The emulator's two virtual MIDI ports: "<name> In:MIDI In", where programs send to the
// instrument, and "<name> Out:MIDI Out", where they hear it.

#include "Instrument.h"
#include "midi/MidiInput.h"
#include "midi/MidiOutput.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <string>

namespace emulator {

class EmulatorPorts {
public:
    // With `wireSpeed` replies leave no faster than a MIDI cable would carry them. A send that the
    // service has not taken within `sendLimit` counts as stuck.
    EmulatorPorts(std::string name, bool wireSpeed, midi::Backend& backend = midi::service(),
                  std::chrono::milliseconds sendLimit = std::chrono::seconds(2));

    // False, with `error` saying why, when either port cannot be created.
    bool open(std::string& error);
    // The names under which programs see the ports (as their port lists show them).
    std::string inputPortName() const;
    std::string outputPortName() const;

    midi::MidiInput::Outcome next(Bytes& message, std::chrono::milliseconds wait);
    // Gives up between two pieces once `stop` is set (a long reply at cable speed takes seconds).
    midi::MidiOutput::Result send(const Bytes& message, const std::atomic<bool>& stop);

private:
    std::string name_;
    bool wireSpeed_;
    midi::Backend& backend_;
    std::chrono::milliseconds sendLimit_;
    std::shared_ptr<midi::MidiInput> in_;
    std::shared_ptr<midi::MidiOutput> out_;
};

} // namespace emulator
