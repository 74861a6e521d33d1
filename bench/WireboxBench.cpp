// What Wirebox costs on the MIDI bus: how long a voice dump takes to go to an instrument and come
// back, and how much processor a host's long wait for a reply burns.
//
// It needs a JACK server of its own:
//   scripts/midi-bus start suite-bench
//   JACK_DEFAULT_SERVER=suite-bench MIDI_API=jack build/bin/bench_wirebox
//   scripts/midi-bus stop suite-bench
// Without one, each benchmark is skipped with a message.

#include "midi/MidiApi.h"
#include "testing/MidiDuplexPeer.h"
#include "wirebox/Wirebox.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <jack/jack.h>
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

// The instrument's end: silent, or echoing every SysEx that arrives straight back.
testing_support::MidiDuplexPeer::Script echo() {
    return [](const testing_support::MidiDuplexPeer::Bytes& message) {
        return !message.empty() && message.front() == 0xF0 ? std::optional(message) : std::nullopt;
    };
}

// Opens Wirebox's ports on the peer; false when there is no bus to do it on.
bool connectWirebox(const testing_support::MidiDuplexPeer& peer) {
    return peer.ready() &&
           OpenMidi(nullptr, 0, peer.wireboxIn.c_str(), peer.wireboxOut.c_str()) == 1;
}

// The silent peer of the CPU figure runs as a process of its own, so that its JACK clients, which
// wake every cycle like Wirebox's, are not counted as the host's. It is this program started again
// with kPeerVariable set: it prints the two names Wirebox opens, then keeps its ports until its
// standard input closes.
constexpr const char* kPeerVariable = "WIREBOX_BENCH_SILENT_PEER";

[[maybe_unused]] const bool kRunAsPeer = [] {
    if (!std::getenv(kPeerVariable)) return false;
    {
        testing_support::MidiDuplexPeer peer;
        std::printf("%s\n%s\n", peer.wireboxIn.c_str(), peer.wireboxOut.c_str());
        std::fflush(stdout);
        char ignored;
        while (read(STDIN_FILENO, &ignored, 1) > 0) {
        }
    }
    std::_Exit(0);
}();

class SilentPeerProcess {
public:
    SilentPeerProcess() {
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
        std::vector<std::string> variables = {std::string(kPeerVariable) + "=1"};
        for (char** at = environ; *at; ++at) variables.emplace_back(*at);
        std::vector<char*> environment;
        for (std::string& variable : variables) environment.push_back(variable.data());
        environment.push_back(nullptr);
        char name[] = "bench_wirebox-peer";
        char* arguments[] = {name, nullptr};
        const bool started = posix_spawn(&pid_, "/proc/self/exe", &actions, nullptr, arguments,
                                         environment.data()) == 0;
        posix_spawn_file_actions_destroy(&actions);
        close(toChild[0]);
        close(fromChild[1]);
        toChild_ = toChild[1];
        if (!started) pid_ = -1;
        if (FILE* names = fdopen(fromChild[0], "r")) {
            wireboxIn = readLine(names);
            wireboxOut = readLine(names);
            std::fclose(names);
        } else {
            close(fromChild[0]);
        }
    }
    ~SilentPeerProcess() {
        if (toChild_ >= 0) close(toChild_); // the peer closes its ports and ends
        if (pid_ > 0) waitpid(pid_, nullptr, 0);
    }

    bool connectWirebox() const {
        return !wireboxIn.empty() && !wireboxOut.empty() &&
               OpenMidi(nullptr, 0, wireboxIn.c_str(), wireboxOut.c_str()) == 1;
    }

    std::string wireboxIn, wireboxOut;

private:
    static std::string readLine(FILE* from) {
        std::string line;
        for (int c; (c = std::fgetc(from)) != EOF && c != '\n';) line += static_cast<char>(c);
        return line;
    }

    pid_t pid_ = -1;
    int toChild_ = -1;
};

// The length of one JACK process cycle in seconds, or 0 when no server answers.
double jackPeriod() {
    jack_status_t status;
    jack_client_t* client = jack_client_open("bench-period", JackNoStartServer, &status);
    if (!client) return 0;
    const double period =
        jack_get_buffer_size(client) / static_cast<double>(jack_get_sample_rate(client));
    jack_client_close(client);
    return period;
}

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

// A voice dump's size: F0, 590 data bytes, F7.
Bytes voiceDump() {
    Bytes dump(592);
    for (std::size_t i = 0; i < dump.size(); ++i) dump[i] = static_cast<unsigned char>(i & 0x7F);
    dump.front() = 0xF0;
    dump.back() = 0xF7;
    return dump;
}

// MidiTransmit of a voice dump, then MidiReceive of the echo. Median over all iterations, in
// milliseconds and in JACK periods: JACK moves MIDI once a period, so the period count says how
// many cycles the trip takes, whatever the server's buffer size.
void VoiceDumpRoundTrip(benchmark::State& state) {
    const double period = jackPeriod();
    testing_support::MidiDuplexPeer peer(echo());
    if (period <= 0 || !connectWirebox(peer)) {
        state.SkipWithError(kNoBus);
        return;
    }
    SetTimeOut(2000);
    const Bytes dump = voiceDump();
    std::vector<double> seconds;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const int sent = MidiTransmit(static_cast<std::uint32_t>(dump.size()), dump.data());
        std::uint32_t length = 0;
        unsigned char* echo = MidiReceive(&length);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        const bool whole =
            echo && length == dump.size() && std::equal(dump.begin(), dump.end(), echo);
        DiscardMidiMessage(echo);
        if (!sent || !whole) {
            state.SkipWithError("the echo did not come back whole");
            break;
        }
        state.SetIterationTime(took.count());
        seconds.push_back(took.count());
    }
    CloseMidi();
    if (seconds.empty()) return;
    std::nth_element(seconds.begin(), seconds.begin() + seconds.size() / 2, seconds.end());
    const double median = seconds[seconds.size() / 2];
    state.counters["median_ms"] = median * 1e3;
    state.counters["median_periods"] = median / period;
    state.counters["period_ms"] = period * 1e3;
}
BENCHMARK(VoiceDumpRoundTrip)->UseManualTime()->Iterations(200)->Unit(benchmark::kMillisecond);

// One MidiReceive that waits out a 5-second time-out on a silent peer. The process figure holds
// every thread of the host, Wirebox's JACK clients included, which run once a cycle whether anyone
// waits or not; the waiting thread's own figure shows whether the wait itself spins.
void FiveSecondWaitCpu(benchmark::State& state) {
    SilentPeerProcess peer;
    if (!peer.connectWirebox()) {
        state.SkipWithError(kNoBus);
        return;
    }
    SetTimeOut(5000);
    double processCpu = 0, threadCpu = 0, wall = 0;
    for (auto _ : state) {
        const double process = processCpuSeconds(), thread = threadCpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        std::uint32_t length = 0;
        unsigned char* message = MidiReceive(&length);
        wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        processCpu = processCpuSeconds() - process;
        threadCpu = threadCpuSeconds() - thread;
        if (message) {
            DiscardMidiMessage(message);
            state.SkipWithError("a silent peer sent something");
            break;
        }
    }
    CloseMidi();
    state.counters["wait_s"] = wall;
    state.counters["process_cpu_s"] = processCpu;
    state.counters["core_percent"] = wall > 0 ? 100 * processCpu / wall : 0;
    state.counters["waiting_thread_cpu_s"] = threadCpu;
}
BENCHMARK(FiveSecondWaitCpu)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace
