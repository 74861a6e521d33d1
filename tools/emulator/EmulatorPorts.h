#pragma once
// The emulator's two virtual MIDI ports: "<name> In:MIDI In", where programs send to the
// instrument, and "<name> Out:MIDI Out", where they hear it. Incoming messages wait in a queue for
// the instrument's thread, so a slow answer never holds up the MIDI service's thread.

#include "Instrument.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <rtmidi/RtMidi.h>
#include <string>

namespace emulator {

class EmulatorPorts {
public:
    EmulatorPorts(const std::string& name, bool wireSpeed);
    ~EmulatorPorts();

    bool open(std::string& error);
    // The names under which programs see the ports (as their port lists show them).
    std::string inputPortName() const;
    std::string outputPortName() const;

    // The next incoming message, or false when nothing came within `wait`.
    bool next(Bytes& message, std::chrono::milliseconds wait);
    void send(const Bytes& message);

private:
    static void onMessage(double, std::vector<unsigned char>* message, void* self);

    std::string name_;
    bool wireSpeed_;
    std::unique_ptr<RtMidiIn> in_;
    std::unique_ptr<RtMidiOut> out_;
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<Bytes> queue_;
};

} // namespace emulator
