// `klangor-cli decode` of 10,000 voice files in one call, from process start to exit, with the
// JSON Lines going to a file: the batch a script runs over a library of voices. The voices are
// written into a temporary folder first (each with another effect and attack rate, so that no two
// are alike). KLANGOR_CLI=PATH measures another build of the tool.
//
//   build/bin/bench_cli_decode

#include "morvex/Checksum.h"
#include "morvex/VoiceCodec.h"
#include "morvex/VoiceFile.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

constexpr int kVoices = 10000;

// The folder of the voices, made once and removed at exit.
struct VoiceFolder {
    VoiceFolder() {
        path = std::filesystem::temp_directory_path() /
               ("klangor-decode-bench-" + std::to_string(getpid()));
        std::filesystem::create_directories(path);
        morvex::MorvexState state;
        if (morvex::LoadVoiceFile(state, KLANGOR_DATA_DIR "/initial.syx")) std::abort();
        morvex::DecodeVoice(state);
        for (int i = 0; i < kVoices; ++i) {
            state.voiceParams.effect = i % 128;
            state.voiceParams.attackRate[0] = i % 100;
            morvex::EncodeVoice(state);
            morvex::UpdateChecksum(state.voiceData);
            const std::vector<std::uint8_t> bytes = morvex::voiceFileBytes(state);
            files.push_back((path / ("voice-" + std::to_string(i) + ".syx")).string());
            std::ofstream(files.back(), std::ios::binary)
                .write(reinterpret_cast<const char*>(bytes.data()),
                       static_cast<std::streamsize>(bytes.size()));
        }
    }
    ~VoiceFolder() { std::filesystem::remove_all(path); }

    std::filesystem::path path;
    std::vector<std::string> files;
};

struct Run {
    int status = -1;
    long maxRssKiB = 0;
};

// klangor-cli decode FILE... > out, waited for.
Run decodeAll(const VoiceFolder& voices, const std::string& out) {
    const char* cli = std::getenv("KLANGOR_CLI") ? std::getenv("KLANGOR_CLI") : KLANGOR_CLI;
    std::vector<std::string> args = {cli, "decode"};
    args.insert(args.end(), voices.files.begin(), voices.files.end());
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = -1;
    Run run;
    const int spawned = posix_spawn(&pid, cli, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return run;
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.maxRssKiB = usage.ru_maxrss;
    return run;
}

void DecodeTenThousandVoicesInOneCall(benchmark::State& state) {
    static const VoiceFolder voices;
    const std::string out = (voices.path / "voices.jsonl").string();
    Run last;
    for (auto _ : state) {
        last = decodeAll(voices, out);
        if (last.status != 0) return state.SkipWithError("klangor-cli decode failed");
    }
    std::ifstream lines(out);
    long count = 0;
    for (std::string line; std::getline(lines, line);) ++count;
    if (count != kVoices) return state.SkipWithError("not one line per voice");
    state.counters["voices/s"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * kVoices, benchmark::Counter::kIsRate);
    state.counters["max_rss_KiB"] = static_cast<double>(last.maxRssKiB);
}
BENCHMARK(DecodeTenThousandVoicesInOneCall)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5);

} // namespace
