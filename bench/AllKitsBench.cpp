// All 192 kits of the module read in the program against `midi-emulator pulvex` over the MIDI bus:
// kit by kit, each reception opening the ports again as a single receive does, and in one exchange
// (KitsReception). The voice names are read once before the runs, as a program run keeps them.
// Reported per run: the median wall time, the time per kit, the kits that failed; at cable speed
// (`--wire-speed`) also the ratio of that time to the time the run's bytes take on a MIDI cable.
//
// It needs a JACK server of its own:
//   scripts/midi-bus start suite-bench
//   JACK_DEFAULT_SERVER=suite-bench MIDI_API=jack build/bin/bench_all_kits
//   scripts/midi-bus stop suite-bench

#include "midi/Pacer.h"
#include "pulvex/model/KitsReception.h"
#include "pulvex/model/OpenExchange.h"
#include "pulvex/model/Settings.h"
#include "pulvex/model/WaveNameTable.h"
#include "testing/EmulatorProcess.h"
#include "testing/TempDir.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace pulvex;
using Clock = std::chrono::steady_clock;

class QuietUi : public ReceptionUi {
public:
    void showReadyPrompt() override {}
    void openProgress(const std::string&) override {}
    void setProgress(const std::string&) override {}
    void closeProgress() override {}
    bool hasStatusBar() const override { return false; }
    void setStatus(const std::string&) override {}
    void showError(const std::string&) override { ++errors; }
    void beginBusy() override {}
    void endBusy() override {}
    void dispatchPendingEvent() override {}
    bool chooseKit(KitBank&, int&) override { return false; }
    int errors = 0;
};

// The bytes of all messages in the emulator's wire log, each line "time direction hex...".
std::size_t loggedBytes(const std::string& log) {
    std::ifstream in(log);
    std::size_t bytes = 0;
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string word;
        for (int column = 0; words >> word; ++column) bytes += column >= 2 ? 1 : 0;
    }
    return bytes;
}

double median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::nth_element(values.begin(), values.begin() + long(values.size() / 2), values.end());
    return values[values.size() / 2];
}

enum class Way { KitByKit, OneExchange };

void AllKits(benchmark::State& state, Way way, bool wireSpeed) {
    testing_support::TempDir dir;
    const std::string log = dir.file("wire.log");
    testing_support::EmulatorProcess module;
    std::vector<std::string> extra = {"--log", log};
    if (wireSpeed) extra.push_back("--wire-speed");
    if (!module.start(MIDI_EMULATOR, "pulvex", extra, dir.file("emulator.txt"))) {
        state.SkipWithError("the emulator did not start: is a JACK server named in "
                            "JACK_DEFAULT_SERVER running?");
        return;
    }
    SettingsStore settings = SettingsStore::inMemoryCopy(SettingsStore(dir.file("Pulvex.ini")));
    settings.writeText(SettingKey::MidiIn, module.outPort());
    settings.writeText(SettingKey::MidiOut, module.inPort());
    WaveNameTable names;
    names.Load();
    QuietUi ui;
    KitReception single(linkedWirebox(), settings, names, ui);
    if (!single.ConfigurationRead()) {
        state.SkipWithError("the voice names did not come");
        return;
    }
    const std::vector<KitAddress> kits = kitsToRead(std::nullopt, std::nullopt);

    std::vector<double> seconds, ratios;
    int failed = 0;
    for (auto _ : state) {
        const std::size_t bytesBefore = loggedBytes(log);
        const auto begin = Clock::now();
        if (way == Way::KitByKit) {
            for (const KitAddress& kit : kits) {
                CPulvexDoc doc;
                if (!single.KitRead(doc, kit.bank, kit.number)) ++failed;
            }
        } else {
            failed += static_cast<int>(
                KitsReception(linkedWirebox(), settings, names, ui).read(kits).failed.size());
        }
        const double run = std::chrono::duration<double>(Clock::now() - begin).count();
        state.SetIterationTime(run);
        seconds.push_back(run);
        const double wire = double(loggedBytes(log) - bytesBefore) / midi::kCableBytesPerSecond;
        if (wire > 0) ratios.push_back(run / wire);
    }
    state.counters["median_s"] = median(seconds);
    state.counters["per_kit_ms"] = 1000 * median(seconds) / double(kits.size());
    state.counters["failed"] = failed + ui.errors;
    if (wireSpeed) state.counters["wire_ratio"] = median(ratios);
}

BENCHMARK_CAPTURE(AllKits, kit_by_kit, Way::KitByKit, false)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(AllKits, one_exchange, Way::OneExchange, false)
    ->UseManualTime()
    ->Iterations(10)
    ->Unit(benchmark::kMillisecond);
// About 27 s: 192 kit replies of 402 bytes on the cable.
BENCHMARK_CAPTURE(AllKits, one_exchange_at_wire_speed, Way::OneExchange, true)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

} // namespace
