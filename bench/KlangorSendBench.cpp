// What one send to the synthesizer costs on the MIDI bus: `klangor-cli send` from process start to
// exit, a send inside the process, the time the window's GUI thread spends on a send (F12,
// leaving the Direct edit page), and with "send while editing" a step of a value to its dump
// having arrived.
//
// It needs a JACK server of its own:
//   scripts/midi-bus start suite-bench
//   JACK_DEFAULT_SERVER=suite-bench MIDI_API=jack build/bin/bench_klangor_send
//   scripts/midi-bus stop suite-bench
// Without one, each benchmark is skipped with a message. KLANGOR_CLI=PATH measures another build of
// the command-line tool (an older one, for a before/after figure).

#include "Common.h"
#include "Sender.h"
#include "Session.h"
#include "midi/MidiInput.h"
#include "morvex/Transmission.h"
#include "morvex/VoiceCodec.h"
#include "morvex/VoiceFile.h"

#include <QApplication>
#include <QSpinBox>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <spawn.h>
#include <string>
#include <sys/wait.h>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kNoBus =
    "no MIDI bus: run scripts/midi-bus start suite-bench, then "
    "JACK_DEFAULT_SERVER=suite-bench MIDI_API=jack build/bin/bench_klangor_send";

// The synthesizer's end: a port of this process that collects what arrives.
struct Synth {
    Synth() {
        if (!midi::service().problem().empty()) return;
        std::string error;
        in = midi::MidiInput::open({"Klangor Bench Synth", "in", std::nullopt, false}, error);
        if (in)
            device = midi::indexOf(midi::service().ports(midi::Direction::Output),
                                   "Klangor Bench Synth:in");
    }
    // True when one whole dump arrived within a second.
    bool received() {
        midi::Bytes message;
        return in->next(message, std::chrono::seconds(1)) == midi::MidiInput::Outcome::Message &&
               message.size() == 592;
    }
    std::shared_ptr<midi::MidiInput> in;
    int device = -1;
};

int runCli(const std::string& device) {
    const char* cli = std::getenv("KLANGOR_CLI") ? std::getenv("KLANGOR_CLI") : KLANGOR_CLI;
    std::string voice = std::string(KLANGOR_DATA_DIR) + "/initial.syx";
    std::string args[] = {cli, "send", voice, "--to", device};
    char* argv[] = {args[0].data(), args[1].data(), args[2].data(),
                    args[3].data(), args[4].data(), nullptr};
    pid_t pid = -1;
    if (posix_spawn(&pid, cli, nullptr, nullptr, argv, environ) != 0) return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void BM_CliSendPerCall(benchmark::State& state) {
    Synth synth;
    if (synth.device < 0) return state.SkipWithError(kNoBus);
    for (auto _ : state) {
        if (runCli(std::to_string(synth.device)) != 0 || !synth.received())
            return state.SkipWithError("klangor-cli send failed");
    }
}
BENCHMARK(BM_CliSendPerCall)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(40);

void BM_SendInsideTheProcess(benchmark::State& state) {
    Synth synth;
    if (synth.device < 0) return state.SkipWithError(kNoBus);
    morvex::MorvexState voice;
    for (auto _ : state) {
        if (morvex::TransmitSysEx(voice, morvex::SysExKind::VoiceDump, synth.device) ||
            !synth.received())
            return state.SkipWithError("the send failed");
    }
}
BENCHMARK(BM_SendInsideTheProcess)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(40);

// The window's pages, on the offscreen platform; notes go nowhere.
void makeApplication() {
    static int argc = 1;
    static char name[] = "bench";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication application(argc, argv);
}

// The GUI thread's part of a send: what F12 or leaving the Direct edit page waits for.
void BM_GuiThreadPerSend(benchmark::State& state) {
    makeApplication();
    Synth synth;
    if (synth.device < 0) return state.SkipWithError(kNoBus);
    morvex::MorvexState voice;
    voice.midiDevice = static_cast<std::uint8_t>(synth.device);
    klangor::Session session(voice);
    for (auto _ : state) {
        const auto start = Clock::now();
        session.transmitVoice();
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        if (!session.sender().waitUntilIdle(std::chrono::seconds(5)) || !synth.received())
            return state.SkipWithError("the send failed");
    }
}
// Counted by hand: the GUI thread's part is tiny, the whole send is not, so a time budget would
// run for ever.
BENCHMARK(BM_GuiThreadPerSend)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(40);

// With "send while editing" on: a step of a value on the Common page until its dump arrived.
void BM_EditStepToDumpArrived(benchmark::State& state) {
    makeApplication();
    Synth synth;
    if (synth.device < 0) return state.SkipWithError(kNoBus);
    morvex::MorvexState voice;
    if (morvex::LoadVoiceFile(voice, std::string(KLANGOR_DATA_DIR) + "/initial.syx"))
        return state.SkipWithError("cannot read initial.syx");
    morvex::DecodeVoice(voice);
    klangor::Session session(voice);
    session.useMidiSettings({"Klangor Bench Synth:in", "", 1, 0, true});
    klangor::TFCommon page(session);
    page.show();
    page.InitVars();
    auto* box = page.findChild<QSpinBox*>("PitchBend");
    int step = 0;
    for (auto _ : state) {
        box->setValue(++step % 12); // what a click on an arrow or an arrow key does
        QApplication::processEvents();
        if (!synth.received()) return state.SkipWithError("the dump did not arrive");
    }
}
BENCHMARK(BM_EditStepToDumpArrived)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(40);

// Without sending: what a step of a value costs the GUI thread now that every committed value is
// stored and kept as a step of the undo history, and what Undo of it costs. Needs no bus.
void BM_EditStepRecordedAndUndone(benchmark::State& state) {
    makeApplication();
    morvex::MorvexState voice;
    if (morvex::LoadVoiceFile(voice, std::string(KLANGOR_DATA_DIR) + "/initial.syx"))
        return state.SkipWithError("cannot read initial.syx");
    morvex::DecodeVoice(voice);
    klangor::Session session(voice);
    session.markSaved();
    klangor::TFCommon page(session);
    page.show();
    page.InitVars();
    QObject::connect(&session, &klangor::Session::voiceChanged, &page,
                     [&page] { page.InitVars(); });
    auto* box = page.findChild<QSpinBox*>("PitchBend");
    int step = 0;
    for (auto _ : state) {
        box->setValue(++step % 12);
        QApplication::processEvents();
        if (step % 2) session.history().undo();
    }
    state.counters["steps"] = session.history().count();
}
BENCHMARK(BM_EditStepRecordedAndUndone)->Unit(benchmark::kMicrosecond);

} // namespace
