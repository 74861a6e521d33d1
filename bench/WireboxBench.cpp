// What Wirebox costs on the MIDI bus: how long a voice dump takes to go to an instrument and come
// back, how much processor a host's long wait for a reply burns beside a bare input and output of
// the MIDI layer waiting the same way, and how much memory a host holds before, during and after
// MIDI use.
//
// It needs a JACK server of its own:
//   scripts/midi-bus start suite-bench
//   JACK_DEFAULT_SERVER=suite-bench MIDI_API=jack build/bin/bench_wirebox
//   scripts/midi-bus stop suite-bench
// Without one, each benchmark is skipped with a message.

#include "midi/MidiInput.h"
#include "midi/MidiOutput.h"
#include "testing/MidiDuplexPeer.h"
#include "wirebox/Wirebox.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <memory>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using Bytes = std::vector<unsigned char>;

constexpr const char* kNoBus =
    "no MIDI bus: run scripts/midi-bus start suite-bench, then "
    "JACK_DEFAULT_SERVER=suite-bench MIDI_API=jack build/bin/bench_wirebox";

// This program started again does one of two jobs in a process of its own: a peer ("silent" or
// "echo") whose JACK clients, which wake every cycle, are then not counted as the host's; or a
// host measuring its own memory from its very start.
constexpr const char* kRoleVariable = "WIREBOX_BENCH_ROLE";

// A voice dump's size: F0, 590 data bytes, F7.
Bytes voiceDump() {
    Bytes dump(592);
    for (std::size_t i = 0; i < dump.size(); ++i) dump[i] = static_cast<unsigned char>(i & 0x7F);
    dump.front() = 0xF0;
    dump.back() = 0xF7;
    return dump;
}

// The instrument's end: silent, or echoing every SysEx that arrives straight back.
testing_support::MidiDuplexPeer::Script script(bool echo) {
    if (!echo) return {};
    return [](const testing_support::MidiDuplexPeer::Bytes& message) {
        return !message.empty() && message.front() == 0xF0 ? std::optional(message) : std::nullopt;
    };
}

// Resident memory of this process in MB, as /proc/self/status shows it.
double residentMb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::strtod(line.c_str() + 6, nullptr) / 1024;
    return 0;
}

// One Wirebox exchange: a voice dump out, its echo back.
bool exchange() {
    const Bytes dump = voiceDump();
    if (!MidiTransmit(static_cast<std::uint32_t>(dump.size()), dump.data())) return false;
    std::uint32_t length = 0;
    unsigned char* echo = MidiReceive(&length);
    const bool whole = echo && length == dump.size() && std::equal(dump.begin(), dump.end(), echo);
    DiscardMidiMessage(echo);
    return whole;
}

// The roles of the process started again; it never returns into the benchmarks.
[[maybe_unused]] const bool kRunAsHelper = [] {
    const char* role = std::getenv(kRoleVariable);
    if (!role) return false;
    const std::string job = role;
    if (job == "memory") {
        // Before any MIDI use, while the ports are open after an exchange, after they closed.
        const double before = residentMb();
        const bool opened =
            OpenMidi(nullptr, 0, std::getenv("WIREBOX_BENCH_IN"), std::getenv("WIREBOX_BENCH_OUT"));
        const bool exchanged = opened && exchange();
        const double open = residentMb();
        CloseMidi();
        std::printf("%d %f %f %f\n", exchanged ? 1 : 0, before, open, residentMb());
        std::fflush(stdout);
        std::_Exit(0);
    }
    {
        testing_support::MidiDuplexPeer peer(script(job == "echo"));
        std::printf("%s\n%s\n", peer.wireboxIn.c_str(), peer.wireboxOut.c_str());
        std::fflush(stdout);
        char ignored;
        while (read(STDIN_FILENO, &ignored, 1) > 0) {
        }
    }
    std::_Exit(0);
}();

// This program in another role; its standard input and output are pipes to this process.
class HelperProcess {
public:
    explicit HelperProcess(const std::vector<std::string>& settings) {
        int toChild[2], fromChild[2];
        if (pipe(toChild) != 0) return;
        if (pipe(fromChild) != 0) {
            close(toChild[0]);
            close(toChild[1]);
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, toChild[0], STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, fromChild[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, toChild[1]);
        posix_spawn_file_actions_addclose(&actions, fromChild[0]);
        std::vector<std::string> variables = settings;
        for (char** at = environ; *at; ++at) variables.emplace_back(*at);
        std::vector<char*> environment;
        for (std::string& variable : variables) environment.push_back(variable.data());
        environment.push_back(nullptr);
        char name[] = "bench_wirebox-helper";
        char* arguments[] = {name, nullptr};
        const bool started = posix_spawn(&pid_, "/proc/self/exe", &actions, nullptr, arguments,
                                         environment.data()) == 0;
        posix_spawn_file_actions_destroy(&actions);
        close(toChild[0]);
        close(fromChild[1]);
        toChild_ = toChild[1];
        if (!started) pid_ = -1;
        output_ = fdopen(fromChild[0], "r");
        if (!output_) close(fromChild[0]);
    }
    ~HelperProcess() {
        if (output_) std::fclose(output_);
        if (toChild_ >= 0) close(toChild_); // a peer closes its ports and ends
        if (pid_ > 0) waitpid(pid_, nullptr, 0);
    }

    std::string readLine() {
        std::string line;
        for (int c; output_ && (c = std::fgetc(output_)) != EOF && c != '\n';)
            line += static_cast<char>(c);
        return line;
    }

private:
    pid_t pid_ = -1;
    int toChild_ = -1;
    FILE* output_ = nullptr;
};

// A peer in a process of its own, and the names of its ports as Wirebox opens them.
struct PeerProcess {
    explicit PeerProcess(bool echo)
        : process({std::string(kRoleVariable) + "=" + (echo ? "echo" : "silent")}),
          wireboxIn(process.readLine()), wireboxOut(process.readLine()) {}
    bool ready() const { return !wireboxIn.empty() && !wireboxOut.empty(); }

    HelperProcess process;
    std::string wireboxIn, wireboxOut;
};

double processCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + now.tv_nsec / 1e9;
}

double threadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + now.tv_nsec / 1e9;
}

double median(std::vector<double> values) {
    std::nth_element(values.begin(), values.begin() + long(values.size() / 2), values.end());
    return values[values.size() / 2];
}

// MidiTransmit of a voice dump, then MidiReceive of the echo; the median in milliseconds.
void VoiceDumpRoundTrip(benchmark::State& state) {
    testing_support::MidiDuplexPeer peer(script(true));
    if (!peer.ready() ||
        OpenMidi(nullptr, 0, peer.wireboxIn.c_str(), peer.wireboxOut.c_str()) != 1) {
        state.SkipWithError(kNoBus);
        return;
    }
    SetTimeOut(2000);
    std::vector<double> seconds;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const bool whole = exchange();
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        if (!whole) {
            state.SkipWithError("the echo did not come back whole");
            break;
        }
        state.SetIterationTime(took.count());
        seconds.push_back(took.count());
    }
    CloseMidi();
    if (!seconds.empty()) state.counters["median_ms"] = median(seconds) * 1e3;
}
BENCHMARK(VoiceDumpRoundTrip)->UseManualTime()->Iterations(200)->Unit(benchmark::kMillisecond);

// A wait that runs out its 5 s on a silent peer. The process figure holds every thread, the MIDI
// service's included, which run once a cycle whether anyone waits or not; the waiting thread's own
// figure shows whether the wait itself spins.
template <class Wait>
void waitCpu(benchmark::State& state, Wait wait) {
    double processCpu = 0, threadCpu = 0, wall = 0;
    for (auto _ : state) {
        const double process = processCpuSeconds(), thread = threadCpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        if (wait()) {
            state.SkipWithError("a silent peer sent something");
            break;
        }
        wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        processCpu = processCpuSeconds() - process;
        threadCpu = threadCpuSeconds() - thread;
    }
    state.counters["wait_s"] = wall;
    state.counters["core_percent"] = wall > 0 ? 100 * processCpu / wall : 0;
    state.counters["waiting_thread_cpu_s"] = threadCpu;
}

// Through Wirebox: one MidiReceive.
void FiveSecondWaitCpu_Wirebox(benchmark::State& state) {
    PeerProcess peer(false);
    if (!peer.ready() ||
        OpenMidi(nullptr, 0, peer.wireboxIn.c_str(), peer.wireboxOut.c_str()) != 1) {
        state.SkipWithError(kNoBus);
        return;
    }
    SetTimeOut(5000);
    waitCpu(state, [] {
        std::uint32_t length = 0;
        unsigned char* message = MidiReceive(&length);
        DiscardMidiMessage(message);
        return message != nullptr;
    });
    CloseMidi();
}
BENCHMARK(FiveSecondWaitCpu_Wirebox)->Iterations(1)->Unit(benchmark::kSecond);

// The least a host can hold: one input and one output of the MIDI layer, connected to the same
// peer, and a wait on the input.
void FiveSecondWaitCpu_BarePair(benchmark::State& state) {
    PeerProcess peer(false);
    std::string error;
    auto request = [](const std::string& port, const char* name) {
        midi::OpenRequest open;
        open.clientName = "Bare pair";
        open.portName = name;
        open.connectTo = midi::Port{port};
        return open;
    };
    const auto in =
        peer.ready() ? midi::MidiInput::open(request(peer.wireboxIn, "in"), error) : nullptr;
    const auto out = in ? midi::MidiOutput::open(request(peer.wireboxOut, "out"), error) : nullptr;
    if (!out) {
        state.SkipWithError(kNoBus);
        return;
    }
    waitCpu(state, [&] {
        Bytes message;
        return in->next(message, std::chrono::seconds(5)) == midi::MidiInput::Outcome::Message;
    });
}
BENCHMARK(FiveSecondWaitCpu_BarePair)->Iterations(1)->Unit(benchmark::kSecond);

// A host's resident memory, measured by a fresh process of its own: before any MIDI use, with
// Wirebox's ports open after an exchange, and after CloseMidi.
void ResidentMemory(benchmark::State& state) {
    PeerProcess peer(true);
    if (!peer.ready()) {
        state.SkipWithError(kNoBus);
        return;
    }
    int exchanged = 0;
    double before = 0, open = 0, closed = 0;
    for (auto _ : state) {
        HelperProcess host({std::string(kRoleVariable) + "=memory",
                            "WIREBOX_BENCH_IN=" + peer.wireboxIn,
                            "WIREBOX_BENCH_OUT=" + peer.wireboxOut});
        const std::string figures = host.readLine();
        if (std::sscanf(figures.c_str(), "%d %lf %lf %lf", &exchanged, &before, &open, &closed) !=
                4 ||
            !exchanged) {
            state.SkipWithError("the host could not exchange a message with the peer");
            return;
        }
    }
    state.counters["before_MB"] = before;
    state.counters["ports_open_MB"] = open;
    state.counters["after_close_MB"] = closed;
}
BENCHMARK(ResidentMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
