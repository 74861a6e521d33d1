// How many voices per second go through decode and encode (with the range check and the check
// bytes), the work behind every page switch, save and send.

#include "morvex/Checksum.h"
#include "morvex/VoiceCodec.h"
#include "morvex/VoiceFile.h"

#include <benchmark/benchmark.h>
#include <cstdlib>

namespace {

morvex::MorvexState startingVoice() {
    morvex::MorvexState state;
    if (morvex::LoadVoiceFile(state, KLANGOR_DATA_DIR "/initial.syx")) std::abort();
    return state;
}

void DecodeAndEncodeVoice(benchmark::State& run) {
    morvex::MorvexState state = startingVoice();
    for (auto _ : run) {
        morvex::DecodeVoice(state);
        morvex::EncodeVoice(state);
        morvex::UpdateChecksum(state.voiceData);
        benchmark::DoNotOptimize(state.voiceData);
    }
    run.counters["voices/s"] =
        benchmark::Counter(static_cast<double>(run.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(DecodeAndEncodeVoice);

void DecodeVoiceOnly(benchmark::State& run) {
    morvex::MorvexState state = startingVoice();
    for (auto _ : run) {
        morvex::DecodeVoice(state);
        benchmark::DoNotOptimize(state.voiceParams);
    }
}
BENCHMARK(DecodeVoiceOnly);

} // namespace
