// midi-emulator: a virtual Pulvex rhythm module or a virtual Morvex synthesizer on virtual MIDI
// ports, so that the suite can be tried, and is tested, without the instruments. `--help` says how.
//
// It runs until SIGINT or SIGTERM, then closes its ports and exits 0.

#include "EmulatorPorts.h"
#include "InstrumentLoop.h"
#include "MorvexSynth.h"
#include "PulvexModule.h"
#include "WireLog.h"
#include "cli/CommandLine.h"
#include "morvex/StartDir.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

namespace {
using namespace emulator;

// Each synopsis is aligned for the 7 characters of "usage: " before it.
constexpr const char* kPulvexUsage =
    "midi-emulator pulvex [--name NAME] [--device N] [--setup FILE] [--log FILE]\n"
    "                            [--fault silent|no-f7|short|wrong-type-first|garbage|slow|\n"
    "                                     silent-kit]\n"
    "                            [--wire-speed]\n";
constexpr const char* kMorvexUsage =
    "midi-emulator morvex [--name NAME] [--device N] [--voice FILE] [--save-dir DIR]\n"
    "                            [--log FILE] [--wire-speed]\n"
    "                            [--fault "
    "silent|no-f7|short|bad-check|wrong-type-first|garbage|slow]\n";
constexpr const char* kOtherUsage = "       midi-emulator INSTRUMENT --help\n"
                                    "       midi-emulator --help | --version\n";

constexpr const char* kHelp =
    "\n"
    "Opens the MIDI ports \"NAME In\" and \"NAME Out\" (NAME: \"Pulvex Emulator\" or \"Morvex\n"
    "Emulator\") and answers there as the instrument does, until SIGINT or SIGTERM.\n"
    "  --device N       the instrument's device number, 0..15 (0)\n"
    "  --setup FILE     kits of the Pulvex in JSON, replacing the banks the file names\n"
    "  --voice FILE     the Morvex's voice at the start (the suite's initial voice)\n"
    "  --save-dir DIR   where the Morvex saves each voice it accepts\n"
    "  --log FILE       every message in and out, in hexadecimal\n"
    "  --fault KIND     answer wrongly, as a broken cable or instrument does\n"
    "  --wire-speed     deliver replies at the speed of a MIDI cable\n";

// The usage of one instrument (`instrument` "pulvex" or "morvex"), or of both.
void printUsage(std::FILE* out, const std::string& instrument = "") {
    cli::printUsage(out, {{"pulvex", kPulvexUsage}, {"morvex", kMorvexUsage}}, instrument,
                    kOtherUsage);
}

std::atomic<bool> stopRequested{false};

void requestStop(int) {
    stopRequested = true;
}

int fail(const std::string& text) {
    std::fprintf(stderr, "midi-emulator: %s\n", text.c_str());
    return 1;
}

struct Options {
    std::string instrument;
    std::map<std::string, std::string> values; // --name NAME and the like
    bool wireSpeed = false;
};

bool parse(int argc, char** argv, Options& options, std::string& error) {
    if (argc < 2) {
        error = "which instrument: pulvex or morvex?";
        return false;
    }
    options.instrument = argv[1];
    const bool pulvex = options.instrument == "pulvex";
    if (!pulvex && options.instrument != "morvex") {
        error = "unknown instrument \"" + options.instrument + "\"";
        return false;
    }
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--wire-speed") {
            options.wireSpeed = true;
            continue;
        }
        const bool known = arg == "--name" || arg == "--log" || arg == "--device" ||
                           arg == "--fault" || (pulvex && arg == "--setup") ||
                           (!pulvex && (arg == "--voice" || arg == "--save-dir"));
        if (!known || i + 1 >= argc) {
            error = known ? arg + " needs a value" : "unknown option " + arg;
            return false;
        }
        options.values[arg] = argv[++i];
    }
    return true;
}

std::string value(const Options& options, const std::string& key, const std::string& fallback) {
    const auto found = options.values.find(key);
    return found == options.values.end() ? fallback : found->second;
}

// The device number and the fault, the options both instruments take; false with `error`, a
// usage error.
bool parseCommon(const Options& options, int& device, Fault& fault, std::string& error) {
    const std::string deviceText = value(options, "--device", "0");
    char* end = nullptr;
    const long number = std::strtol(deviceText.c_str(), &end, 10);
    if (deviceText.empty() || *end != '\0' || number < 0 || number > 15) {
        error = "--device takes 0..15, not \"" + deviceText + "\"";
        return false;
    }
    device = static_cast<int>(number);
    if (!parseFault(value(options, "--fault", "none"), fault)) {
        error = "unknown fault \"" + value(options, "--fault", "") + "\"";
        return false;
    }
    if (fault == Fault::BadCheck && options.instrument == "pulvex") {
        error = "the fault bad-check is the Morvex's; the Pulvex has no check bytes";
        return false;
    }
    if (fault == Fault::SilentKit && options.instrument == "morvex") {
        error = "the fault silent-kit is the Pulvex's; the Morvex has no kits";
        return false;
    }
    return true;
}

std::unique_ptr<Instrument> makePulvex(const Options& options, int device, Fault fault,
                                       std::string& error) {
    PulvexSetup setup = builtInSetup();
    if (const std::string path = value(options, "--setup", "");
        !path.empty() && !loadSetup(path, setup, error))
        return nullptr;
    return std::make_unique<PulvexModule>(std::move(setup), device, fault);
}

std::unique_ptr<Instrument> makeMorvex(const Options& options, int device, Fault fault,
                                       std::string& error) {
    std::string voicePath = value(options, "--voice", "");
    if (voicePath.empty())
        voicePath =
            (std::filesystem::path(morvex::findStartDir()) / morvex::kInitialVoiceName).string();
    Bytes voice;
    if (!loadVoiceDump(voicePath, voice, error)) return nullptr;
    const std::string saveDir = value(options, "--save-dir", "");
    std::error_code ignored;
    if (!saveDir.empty() && !std::filesystem::is_directory(saveDir, ignored)) {
        error = "--save-dir \"" + saveDir + "\" is not a folder";
        return nullptr;
    }
    return std::make_unique<MorvexSynth>(std::move(voice), saveDir, device, fault);
}

} // namespace

// --help or --version, anywhere after the instrument: true when answered.
bool answeredHelpOrVersion(int argc, char** argv) {
    const std::string first = argc >= 2 ? argv[1] : "";
    if (first == "--version") {
        std::printf("%s\n", cli::versionLine("midi-emulator").c_str());
        return true;
    }
    for (int i = 1; i < argc; ++i) {
        if (!cli::asksForHelp(argv[i])) continue;
        printUsage(stdout, i > 1 && (first == "pulvex" || first == "morvex") ? first : "");
        std::fputs(kHelp, stdout);
        std::fputs(cli::exitStatusHelp(), stdout);
        return true;
    }
    return false;
}

int main(int argc, char** argv) try {
    if (answeredHelpOrVersion(argc, argv)) return cli::kSuccess;
    Options options;
    std::string error;
    int device = 0;
    Fault fault = Fault::None;
    if (!parse(argc, argv, options, error) || !parseCommon(options, device, fault, error)) {
        std::fprintf(stderr, "midi-emulator: %s\n", error.c_str());
        const bool known = options.instrument == "pulvex" || options.instrument == "morvex";
        printUsage(stderr, known ? options.instrument : "");
        return cli::kUsageError;
    }
    const bool pulvex = options.instrument == "pulvex";
    std::unique_ptr<Instrument> instrument = pulvex ? makePulvex(options, device, fault, error)
                                                    : makeMorvex(options, device, fault, error);
    if (!instrument) return fail(error);

    // Before the ports open, so that a stop that comes early still closes them.
    struct sigaction action {};
    action.sa_handler = requestStop;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    WireLog log;
    if (!log.open(value(options, "--log", ""), error)) return fail(error);
    EmulatorPorts ports(value(options, "--name", pulvex ? "Pulvex Emulator" : "Morvex Emulator"),
                        options.wireSpeed);
    if (!ports.open(error)) return fail(error);

    log.note("midi-emulator " + options.instrument + ": programs send to \"" +
             ports.inputPortName() + "\" and hear \"" + ports.outputPortName() + "\"");
    runInstrument(ports, *instrument, log, stopRequested);
    log.note("midi-emulator: stopped");
    return 0;
} catch (const std::exception& error) {
    // The last line of defence: a failure that escaped is reported, never an abort.
    return fail(error.what());
} catch (...) {
    return fail("unexpected failure");
}
