// A whole kit reception as a user runs it: `pulvex-cli receive` against `midi-emulator pulvex`, a
// fresh process each time, so each is a first reception with both name lists. Reported: the median
// wall time of the process and its largest resident memory; at cable speed (`--wire-speed`), the
// median ratio of that time to the time the exchange's bytes take on a MIDI cable.
//
// It needs a JACK server of its own:
//   scripts/midi-bus start suite-bench
//   JACK_DEFAULT_SERVER=suite-bench MIDI_API=jack build/bin/bench_reception
//   scripts/midi-bus stop suite-bench
// With BENCH_BEFORE_BIN=<another build>/bin the same figures come for that build's programs too,
// side by side ("before" and "after" a change).

#include "midi/Pacer.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

struct Programs {
    std::string cli, emulator;
};

enum class Build { After, Before };

// Null when the build is not there to measure.
const char* programsOf(Build build, Programs& programs) {
    if (build == Build::After) {
        programs = {PULVEX_CLI, MIDI_EMULATOR};
        return nullptr;
    }
    const char* bin = std::getenv("BENCH_BEFORE_BIN");
    if (!bin || !*bin) return "set BENCH_BEFORE_BIN to the bin folder of the build to compare with";
    programs = {std::string(bin) + "/pulvex-cli", std::string(bin) + "/midi-emulator"};
    return nullptr;
}

struct Ended {
    double seconds = 0;
    long maxResidentKb = 0;
    int status = -1;
};

// Starts `args` with its standard output and error in the file `out`.
pid_t start(const std::vector<std::string>& args, const std::string& out) {
    const pid_t pid = fork();
    if (pid == 0) {
        const int fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(fd, STDOUT_FILENO);
        dup2(fd, STDERR_FILENO);
        std::vector<char*> argv;
        for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

// Runs `args` with its output in `out` and waits for it.
Ended runToEnd(const std::vector<std::string>& args, const std::string& out) {
    const auto begin = Clock::now();
    const pid_t pid = start(args, out);
    Ended ended;
    rusage usage{};
    int status = 0;
    if (pid > 0 && wait4(pid, &status, 0, &usage) == pid) {
        ended.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        ended.maxResidentKb = usage.ru_maxrss;
    }
    ended.seconds = std::chrono::duration<double>(Clock::now() - begin).count();
    return ended;
}

std::string readText(const std::string& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The bytes of all messages in the emulator's wire log, each line "time direction hex...".
std::size_t loggedBytes(const std::string& log) {
    std::istringstream lines(readText(log));
    std::size_t bytes = 0;
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string word;
        for (int column = 0; words >> word; ++column) bytes += column >= 2 ? 1 : 0;
    }
    return bytes;
}

// midi-emulator pulvex under a name of its own, logging the wire, stopped with SIGTERM.
class Emulator {
public:
    Emulator(const std::string& program, const fs::path& dir, bool wireSpeed)
        : name_("Bench Emu " + std::to_string(getpid())), log_((dir / "wire.log").string()),
          out_((dir / "emulator.txt").string()) {
        std::vector<std::string> args = {program, "pulvex", "--name", name_, "--log", log_};
        if (wireSpeed) args.push_back("--wire-speed");
        pid_ = start(args, out_);
        // It names its ports once they are open.
        for (int i = 0; i < 250 && !serving(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ~Emulator() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }

    bool serving() const { return readText(out_).find("programs send to") != std::string::npos; }
    std::string inPort() const { return name_ + " In:MIDI In"; }
    std::string outPort() const { return name_ + " Out:MIDI Out"; }
    const std::string& log() const { return log_; }

private:
    std::string name_, log_, out_;
    pid_t pid_ = -1;
};

double median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::nth_element(values.begin(), values.begin() + long(values.size() / 2), values.end());
    return values[values.size() / 2];
}

void Reception(benchmark::State& state, Build build, bool wireSpeed) {
    Programs programs;
    if (const char* missing = programsOf(build, programs)) {
        state.SkipWithError(missing);
        return;
    }
    const fs::path dir =
        fs::temp_directory_path() / ("bench-reception-" + std::to_string(getpid()));
    fs::create_directories(dir);
    setenv("PULVEX_INI", (dir / "Pulvex.ini").c_str(), 1);
    {
        Emulator emulator(programs.emulator, dir, wireSpeed);
        if (!emulator.serving()) {
            state.SkipWithError("the emulator did not start: is a JACK server named in "
                                "JACK_DEFAULT_SERVER running?");
        }
        std::vector<double> seconds, ratios;
        long maxResidentKb = 0;
        int failed = 0;
        for (auto _ : state) {
            if (!emulator.serving()) break;
            const std::size_t bytesBefore = loggedBytes(emulator.log());
            const Ended ended = runToEnd({programs.cli, "receive", "--bank", "preset", "--kit", "1",
                                          "-o", (dir / "kit.drm").string(), "--in",
                                          emulator.outPort(), "--out", emulator.inPort()},
                                         (dir / "cli.txt").string());
            if (ended.status != 0) { // counted, not timed: how often it fails is a figure too
                ++failed;
                continue;
            }
            state.SetIterationTime(ended.seconds);
            seconds.push_back(ended.seconds);
            maxResidentKb = std::max(maxResidentKb, ended.maxResidentKb);
            const double wire =
                double(loggedBytes(emulator.log()) - bytesBefore) / midi::kCableBytesPerSecond;
            if (wire > 0) ratios.push_back(ended.seconds / wire);
        }
        state.counters["median_s"] = median(seconds);
        state.counters["max_rss_MB"] = double(maxResidentKb) / 1024;
        state.counters["failed"] = failed;
        if (wireSpeed) state.counters["wire_ratio"] = median(ratios);
    }
    unsetenv("PULVEX_INI");
    std::error_code ignored;
    fs::remove_all(dir, ignored);
}

BENCHMARK_CAPTURE(Reception, before, Build::Before, false)
    ->UseManualTime()
    ->Iterations(15)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Reception, after, Build::After, false)
    ->UseManualTime()
    ->Iterations(15)
    ->Unit(benchmark::kMillisecond);
// About 11 s each: the name lists are 33 kB on the cable.
BENCHMARK_CAPTURE(Reception, before_at_wire_speed, Build::Before, true)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(Reception, after_at_wire_speed, Build::After, true)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kSecond);

} // namespace
