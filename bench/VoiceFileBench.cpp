// What a user waits for on Save (F2) and Input File: writing a voice file through the atomic
// writer (flush, fsync, size check, rename) and reading one through the bounded reader, in a folder
// on the disk the build lives on.

#include "morvex/VoiceFile.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

std::string scratchFile(const char* name) {
    const auto dir = std::filesystem::current_path() / "bench-voice-files";
    std::filesystem::create_directories(dir);
    return (dir / name).string();
}

morvex::MorvexState startingVoice() {
    morvex::MorvexState state;
    if (morvex::LoadVoiceFile(state, KLANGOR_DATA_DIR "/initial.syx")) std::abort();
    return state;
}

void SaveVoiceFile(benchmark::State& run) {
    morvex::MorvexState state = startingVoice();
    const std::string path = scratchFile("save.syx");
    for (auto _ : run)
        if (morvex::SaveVoiceFile(state, path)) run.SkipWithError("the save failed");
}
BENCHMARK(SaveVoiceFile)->Unit(benchmark::kMillisecond);

void LoadVoiceFile(benchmark::State& run) {
    morvex::MorvexState state = startingVoice();
    for (auto _ : run)
        if (morvex::LoadVoiceFile(state, KLANGOR_DATA_DIR "/initial.syx"))
            run.SkipWithError("the load failed");
}
BENCHMARK(LoadVoiceFile)->Unit(benchmark::kMicrosecond);

} // namespace
