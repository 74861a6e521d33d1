// The receive round trip inside the program: the dump request out, the 592-byte voice back from
// `midi-emulator morvex`, checked, over the MIDI bus. Each iteration is one whole ReceiveVoice, as
// the window and klangor-cli run it (input open, request sent, answer awaited, ports closed).
//
// It needs a JACK server of its own:
//   scripts/midi-bus start suite-bench
//   JACK_DEFAULT_SERVER=suite-bench MIDI_API=jack build/bin/bench_voice_receive
//   scripts/midi-bus stop suite-bench

#include "morvex/ReceiveVoice.h"
#include "testing/EmulatorProcess.h"

#include <benchmark/benchmark.h>
#include <filesystem>

namespace {

void ReceiveRoundTrip(benchmark::State& state, bool wireSpeed) {
    const std::filesystem::path log = std::filesystem::temp_directory_path() / "bench-receive.txt";
    testing_support::EmulatorProcess synth;
    std::vector<std::string> extra = {"--device", "3"};
    if (wireSpeed) extra.push_back("--wire-speed");
    if (!synth.start(MIDI_EMULATOR, "morvex", extra, log.string())) {
        state.SkipWithError("the emulator did not start: is a JACK server named in "
                            "JACK_DEFAULT_SERVER running?");
        return;
    }
    morvex::ReceiveOptions options;
    options.to.portName = synth.inPort();
    options.inputName = synth.outPort();
    options.deviceNumber = 3;
    int failed = 0;
    for (auto _ : state)
        if (!morvex::ReceiveVoice(options)) ++failed;
    state.counters["failed"] = failed;
}

BENCHMARK_CAPTURE(ReceiveRoundTrip, bus, false)->Iterations(30)->Unit(benchmark::kMillisecond);
// The answer alone takes 592 / 3125 s = 189 ms on a cable.
BENCHMARK_CAPTURE(ReceiveRoundTrip, wire_speed, true)->Iterations(5)->Unit(benchmark::kMillisecond);

} // namespace
