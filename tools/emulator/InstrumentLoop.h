#pragma once
// The emulator's life between opening its ports and its stop: messages in, the instrument's
// replies out.

#include "EmulatorPorts.h"
#include "Instrument.h"
#include "WireLog.h"

#include <atomic>

namespace emulator {

// Runs `instrument` on `ports` until `stop` is set: each message that arrives is handled and its
// replies go out in order, each after its delay. A stop ends it within a moment, also during a
// reply's delay or a long reply at cable speed. A MIDI service that stops is noted once; the
// emulator then waits for its stop like a module whose cable was pulled.
void runInstrument(EmulatorPorts& ports, Instrument& instrument, WireLog& log,
                   const std::atomic<bool>& stop);

} // namespace emulator
