// pulvex-cli: Pulvex without windows, for scripts and batch work.
//
// The exit statuses are the suite's (cli::ExitStatus). On a failure no output file is written,
// except that a receive of many kits writes the kits it did read.

#include "TerminalUi.h"
#include "cli/CommandLine.h"
#include "files/BoundedRead.h"
#include "midi/Backend.h"
#include "pulvex/model/DrumMapExport.h"
#include "pulvex/model/DrumMapFormats.h"
#include "pulvex/model/KitTable.h"
#include "pulvex/model/KitsReception.h"
#include "pulvex/model/NameLists.h"
#include "pulvex/model/Reception.h"
#include "pulvex/model/Settings.h"
#include "pulvex/model/WaveNameTable.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {
using namespace pulvex;

struct CommandHelp {
    const char* name;
    const char* text; // the synopsis and what it does, as --help shows it
};

constexpr CommandHelp kCommands[] = {
    {"ports",
     R"(ports                                  the MIDI inputs and outputs, as Wirebox sees them,
                                         numbered for --in and --out
)"},
    {"receive", R"(receive --bank preset|internal|card|all --kit N|all -o FILE [--format NAME]
          [--in PORT] [--out PORT] [--device N] [--channel N] [--wait MS]
                                         read kits from the module and save them as drum maps
                                         (default: Cubase, one kit per file; with many kits FILE
                                         is a folder unless the format holds many kits, as midnam
                                         does; PORT: a number or name as `ports` lists it, or a
                                         unique part of a name; N: the module's device number and
                                         channel, 0..15; MS: how long each reply may take, default
                                         10000)
)"},
    {"show", R"(show FILE.drm                          the kit as a table
)"},
    {"export", R"(export FILE.drm --format NAME [--select LIST] -o OUT
                                         save the kit as a drum map for another program; kbr and
                                         cfg hold the selected rows (e.g. 1,3,5-9), at most 25 and 16
)"},
    {"decode-kit", R"(decode-kit KIT.syx [--vi VI.syx] [--vw VW.syx] -o FILE.drm
                                         turn captured replies of the module into a drum map
)"},
    {"settings",
     R"(settings [KEY=VALUE ...]               show or change the settings (e.g. "Device Number=5")
)"},
};

constexpr const char* kSynopsis = "usage: pulvex-cli COMMAND [ARGUMENTS]\n"
                                  "       pulvex-cli COMMAND --help\n"
                                  "       pulvex-cli --help | --version\n";

const CommandHelp* findCommand(const std::string& name) {
    for (const CommandHelp& command : kCommands)
        if (name == command.name) return &command;
    return nullptr;
}

void printFormats(std::ostream& out) {
    out << "Formats of export --format (receive takes those of whole kits):\n";
    for (const DrumMapFormat& format : drumMapFormats())
        out << "  " << format.name << std::string(14 - std::string(format.name).size(), ' ')
            << formatTitle(format) << "\n";
}

// The usage of one command, or of all without one.
void printUsage(std::ostream& out, const CommandHelp* command = nullptr) {
    if (command) {
        out << "usage: pulvex-cli " << command->text;
    } else {
        out << kSynopsis << "Commands:\n";
        for (const CommandHelp& each : kCommands) out << "  " << each.text;
    }
    const std::string name = command ? command->name : "";
    if (name.empty() || name == "receive" || name == "export") printFormats(out);
    if (name.empty() || name == "receive" || name == "settings")
        out << "Settings come from PULVEX_INI, or Pulvex.ini in the user's config folder.\n";
    out << cli::exitStatusHelp();
}

struct UsageError {
    std::string text;
};
// An input file that cannot be used; the usage is not to blame.
struct InputError {
    std::string text;
};
// A port named on the command line or in the settings that is not there.
struct PortError {
    std::string text;
};

int fail(const std::string& text, int status = cli::kFailed) {
    std::cerr << "pulvex-cli: " << text << "\n";
    return status;
}

// A drum map that cannot be opened: the window's message box puts the reason, which names the
// file, below "Failed to open document."; one line says it here.
std::string openFailure(const std::string& error) {
    const std::size_t reason = error.find("\n\n");
    return reason == std::string::npos ? error : error.substr(reason + 2);
}

int parseInt(const std::string& text, const std::string& what, int low, int high) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < low || value > high)
        throw UsageError{what + " takes an integer " + std::to_string(low) + ".." +
                         std::to_string(high) + ", not \"" + text + "\""};
    return value;
}

// Positional arguments and "--option value" pairs; "-o" is "--output".
struct Arguments {
    std::vector<std::string> positional;
    std::map<std::string, std::string> options;

    std::optional<std::string> option(const std::string& name) const {
        const auto found = options.find(name);
        return found == options.end() ? std::nullopt : std::optional(found->second);
    }
    std::string required(const std::string& name) const {
        if (auto value = option(name)) return *value;
        throw UsageError{name + " is missing"};
    }
};

Arguments parseArguments(const std::vector<std::string>& args,
                         const std::vector<std::string>& known) {
    Arguments parsed;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        if (arg == "-o") arg = "--output";
        if (arg.rfind("--", 0) != 0) {
            parsed.positional.push_back(arg);
            continue;
        }
        if (std::find(known.begin(), known.end(), arg) == known.end())
            throw UsageError{"unknown option " + arg};
        if (i + 1 >= args.size()) throw UsageError{arg + " needs a value"};
        parsed.options[arg] = args[++i];
    }
    return parsed;
}

void printTable(const CPulvexDoc& doc) {
    for (int c = 0; c < kKitColumns; ++c) std::cout << (c ? "\t" : "") << kKitColumnHeaders[c];
    std::cout << "\n";
    for (const CDrumSet& key : doc.keys) {
        for (int c = 0; c < kKitColumns; ++c) std::cout << (c ? "\t" : "") << cellText(key, c);
        std::cout << "\n";
    }
}

void printPorts(const char* title, const std::vector<midi::Port>& ports) {
    std::cout << title << "\n";
    for (std::size_t n = 0; n < ports.size(); ++n)
        std::cout << "  " << n << "  " << ports[n].name << "\n";
}

int portsCommand() {
    midi::Backend& service = midi::service();
    const auto held = service.hold(); // the service starts once for both lists
    printPorts("MIDI inputs (\"MIDI In\", --in):", service.ports(midi::Direction::Input));
    printPorts("MIDI outputs (\"MIDI Out\", --out):", service.ports(midi::Direction::Output));
    // Empty lists from a service that is not there are no answer.
    if (const std::string problem = service.problem(); !problem.empty()) return fail(problem);
    return 0;
}

// The exact name of the port `wanted` stands for (a number, a name or a unique part of one), as
// Wirebox opens only exact names.
std::string exactPortName(midi::Direction direction, const std::string& wanted, const char* option,
                          const char* setting) {
    if (wanted.empty())
        throw PortError{std::string("no ") + setting + " port is chosen: give " + option +
                        " PORT or set \"" + setting + "\""};
    const std::vector<midi::Port> ports = midi::service().ports(direction);
    if (const std::string problem = midi::service().problem(); !problem.empty())
        throw InputError{problem};
    const midi::PortMatch match = midi::findPortArgument(ports, wanted);
    if (!match.port) throw PortError{midi::noPortText(wanted, match)};
    return match.port->name;
}

// Nothing for "all".
std::optional<KitBank> parseBank(const std::string& text) {
    if (text == "preset") return KitBank::Preset;
    if (text == "internal") return KitBank::Internal;
    if (text == "card") return KitBank::Card;
    if (text == "all") return std::nullopt;
    throw UsageError{"--bank takes preset, internal, card or all, not \"" + text + "\""};
}

// The format a received kit is saved in: whole kits only, since a received kit has no selection.
const DrumMapFormat& receiveFormat(const std::optional<std::string>& name) {
    std::string wholeKits;
    for (const DrumMapFormat& format : drumMapFormats())
        if (format.limit == 0)
            wholeKits += (wholeKits.empty() ? "" : ", ") + std::string(format.name);
    if (!name) return drumMapFormats().front(); // the document's own
    const DrumMapFormat* format = findDrumMapFormat(*name);
    if (!format || format->limit != 0)
        throw UsageError{"receive --format takes " + wholeKits + ", not \"" + *name + "\"" +
                         (format ? " (it holds selected keys, and a received kit has none)" : "")};
    return *format;
}

// The settings of a reception: the user's, with what the command line overrides, in memory only,
// so that the user's settings stay as they are and nothing is written anywhere.
SettingsStore receptionSettings(const Arguments& a) {
    SettingsStore store = SettingsStore::inMemoryCopy(SettingsStore());
    // The numbers first: a usage error is said before a port is looked for.
    if (auto device = a.option("--device"))
        store.writeNumber(SettingKey::DeviceNumber, parseInt(*device, "--device", 0, 15));
    if (auto channel = a.option("--channel"))
        store.writeNumber(SettingKey::Channel, parseInt(*channel, "--channel", 0, 15));

    const std::string in = exactPortName(
        midi::Direction::Input, a.option("--in").value_or(store.readText(SettingKey::MidiIn)),
        "--in", "MIDI In");
    const std::string out = exactPortName(
        midi::Direction::Output, a.option("--out").value_or(store.readText(SettingKey::MidiOut)),
        "--out", "MIDI Out");
    store.writeText(SettingKey::MidiIn, in);
    store.writeText(SettingKey::MidiOut, out);
    return store;
}

// Many kits: one file where the format holds many, else one file per kit in the folder `output`.
// What was read is written even when kits are missing; the exit status says whether all came.
int receiveKits(KitsReception& reception, const pulvex_cli::TerminalUi& ui,
                const std::vector<KitAddress>& kits, const DrumMapFormat& format,
                const std::string& output) {
    KitsProgress progress;
    progress.kitStarted = [](int k, int n, const KitAddress& kit) {
        std::cerr << "Reading " << kitProgressText(k, n) << ": " << kitAddressText(kit) << "\n";
    };
    const KitsResult result = reception.read(kits, progress);
    if (result.end == KitsResult::End::NotStarted) return ui.exitStatus(); // said on stderr
    FileError error;
    if (!result.kits.empty()) {
        if (format.writeKits) {
            error = format.writeKits(result.kits, output);
        } else {
            std::error_code made;
            std::filesystem::create_directories(output, made);
            error = made ? FileError("Cannot make the folder \"" + output + "\": " + made.message())
                         : writeKitFiles(format, result.kits, output);
        }
    }
    for (const NamedKit& kit : result.kits)
        std::cout << kitAddressText({kit.bank, kit.number}) << "\t" << kit.name << "\n";
    std::cout << result.report() << "\n";
    if (error) return fail(*error);
    if (result.complete()) return cli::kSuccess;
    // Only kits that never came: the module did not answer in time.
    const bool unanswered =
        result.end == KitsResult::End::Finished &&
        std::all_of(result.failed.begin(), result.failed.end(), [](const KitsResult::Failure& f) {
            return f.reason == std::string(kNoAnswer);
        });
    return fail(result.kits.empty()
                    ? std::string("no kit was read, so nothing was written")
                    : "not every kit was read; the " + std::to_string(result.kits.size()) +
                          " that were are in \"" + output + "\"",
                unanswered ? cli::kNoAnswer : cli::kFailed);
}

int receiveCommand(const Arguments& a) {
    const std::optional<KitBank> bank = parseBank(a.required("--bank"));
    const std::string kitText = a.required("--kit");
    const std::optional<int> kit =
        kitText == "all" ? std::nullopt : std::optional(parseInt(kitText, "--kit", 1, 64));
    const std::string output = a.required("--output");
    const DrumMapFormat& format = receiveFormat(a.option("--format"));
    const auto wait = a.option("--wait");
    const std::chrono::milliseconds replyTimeOut =
        wait ? std::chrono::milliseconds(parseInt(*wait, "--wait", 1, 600000)) : kReplyTimeOut;
    // One start of the MIDI service for finding the ports and for the reception.
    const auto held = midi::service().hold();
    const SettingsStore settings = receptionSettings(a);

    WaveNameTable names;
    names.Load();
    const std::vector<KitAddress> kits = kitsToRead(bank, kit);
    pulvex_cli::TerminalUi ui(kits.front().bank, kits.front().number);
    if (kits.size() > 1) {
        KitsReception reception(linkedWirebox(), settings, names, ui, replyTimeOut);
        return receiveKits(reception, ui, kits, format, output);
    }
    KitReception reception(linkedWirebox(), settings, names, ui, replyTimeOut);
    CPulvexDoc doc;
    if (!reception.ReceiveCommand(doc)) return ui.exitStatus(); // the reason is already on stderr
    if (FileError error = format.write(doc, output)) return fail(*error);
    printTable(doc);
    return 0;
}

int showCommand(const Arguments& a) {
    if (a.positional.size() != 1) throw UsageError{"show needs one FILE.drm"};
    CPulvexDoc doc;
    if (FileError error = openDrmFile(doc, a.positional[0])) return fail(openFailure(*error));
    printTable(doc);
    return 0;
}

// "1,3,5-9": rows 1..64.
std::vector<int> parseRows(const std::string& list) {
    std::vector<int> rows;
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t comma = list.find(',', start);
        const std::string item = list.substr(start, comma - start);
        const std::size_t dash = item.find('-');
        const int first = parseInt(item.substr(0, dash), "--select", 1, 64);
        const int last =
            dash == std::string::npos ? first : parseInt(item.substr(dash + 1), "--select", 1, 64);
        if (last < first) throw UsageError{"--select: \"" + item + "\" runs backwards"};
        for (int row = first; row <= last; ++row) rows.push_back(row);
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return rows;
}

int exportCommand(const Arguments& a) {
    if (a.positional.size() != 1) throw UsageError{"export needs one FILE.drm"};
    const std::string name = a.required("--format");
    const DrumMapFormat* format = findDrumMapFormat(name);
    if (!format)
        throw UsageError{"--format takes " + drumMapFormatNames() + ", not \"" + name + "\""};
    const std::vector<int> rows =
        a.option("--select") ? parseRows(*a.option("--select")) : std::vector<int>{};
    const std::string output = a.required("--output");

    CPulvexDoc doc;
    if (FileError error = openDrmFile(doc, a.positional[0])) return fail(openFailure(*error));
    for (int row : rows)
        if (!doc.IsSelected(row - 1)) doc.ToggleSelected(row - 1);
    if (format->limit == 0) {
        if (!rows.empty())
            std::cerr << "pulvex-cli: a " << format->name
                      << " file holds the whole kit; --select is not used\n";
    } else {
        if (doc.SelectedCount() == 0) return fail(kNothingToSave);
        if (doc.SelectedCount() > format->limit)
            std::cerr << "pulvex-cli: " << doc.SelectedCount() << " rows selected; a ."
                      << format->suffix << " file holds " << format->limit << ", so the first "
                      << format->limit << " are written\n";
    }
    const FileError error = format->write(doc, output);
    return error ? fail(*error) : 0;
}

// The longest reply, the 128 internal voice names of 72 bytes each in hexadecimal digits, has under
// 20 KiB; a file of more than ten times that is no captured reply.
constexpr std::size_t kLargestReplyFile = 256 * 1024;

// One captured reply of the module: a whole SysEx message of the given type, decoded.
Bytes readReply(const std::string& path, const char* type) {
    files::ReadResult file = files::readFileBounded(path, kLargestReplyFile);
    if (file.error) throw InputError{*file.error};
    Bytes reply = std::move(file.bytes);
    if (reply.empty() || reply.front() != 0xF0 || reply.back() != 0xF7)
        throw InputError{"\"" + path + "\" is not one SysEx message (F0 .. F7)"};
    if (replyType(reply) != type)
        throw InputError{"\"" + path + "\" is not a " + type + " reply (type \"" +
                         replyType(reply) + "\")"};
    reply.resize(decodeBlocks(reply.data(), reply.size()));
    return reply;
}

int decodeKitCommand(const Arguments& a) {
    if (a.positional.size() != 1) throw UsageError{"decode-kit needs one KIT.syx"};
    const std::string output = a.required("--output");
    WaveNameTable names;
    names.Load();
    if (auto vi = a.option("--vi")) storeVoiceNames(names, true, readReply(*vi, kInternalVoices));
    if (auto vw = a.option("--vw")) storeVoiceNames(names, false, readReply(*vw, kWavecardVoices));
    const Bytes kit = readReply(a.positional[0], kKitType);
    CPulvexDoc doc;
    if (!doc.LoadKitBlock(kit, names, SettingsStore()))
        return fail("\"" + a.positional[0] + "\": " + kCommunicationError +
                    " (the kit is too short)");
    if (FileError error = saveDrmFile(doc, output)) return fail(*error);
    printTable(doc);
    return 0;
}

int settingsCommand(const Arguments& a) {
    SettingsStore store;
    // Every assignment is checked before anything is written, and all go in one write.
    SettingValues changes;
    for (const std::string& assignment : a.positional) {
        const std::size_t equals = assignment.find('=');
        const SettingInfo* setting =
            equals == std::string::npos ? nullptr : findSetting(assignment.substr(0, equals));
        if (!setting)
            throw UsageError{"expected KEY=VALUE with a setting's name, got \"" + assignment +
                             "\""};
        std::string value = assignment.substr(equals + 1);
        if (!setting->isText) {
            static const std::map<SettingKey, std::pair<int, int>> kRanges = {
                {SettingKey::Channel, {0, 15}},
                {SettingKey::DeviceNumber, {0, 15}},
                {SettingKey::Duration, {2, 23}},
                {SettingKey::Quantize, {2, 23}},
                {SettingKey::PatchBayChannel, {0, 15}},
                {SettingKey::SendProgramChange, {0, 1}},
                {SettingKey::ProgramChangePause, {0, kLongestProgramChangePause}}};
            const auto range =
                kRanges.count(setting->key) ? kRanges.at(setting->key) : std::pair{0, 127};
            value = std::to_string(
                parseInt(value, std::string(setting->name), range.first, range.second));
        }
        changes.emplace_back(setting->key, std::move(value));
    }
    if (!changes.empty())
        if (FileError error = store.write(changes)) return fail(*error);
    for (const SettingInfo& s : settingTable())
        std::cout << s.name << "="
                  << (s.isText ? store.readText(s.key) : std::to_string(store.readNumber(s.key)))
                  << "\n";
    return 0;
}

} // namespace

int main(int argc, char** argv) try {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        printUsage(std::cerr);
        return cli::kUsageError;
    }
    const std::string command = args[0];
    if (cli::asksForHelp(command)) {
        printUsage(std::cout);
        return cli::kSuccess;
    }
    if (command == "--version") {
        std::cout << cli::versionLine("pulvex-cli") << "\n";
        return cli::kSuccess;
    }
    // For the shell's completion: the names --format takes, one a line.
    if (command == "formats") {
        for (const DrumMapFormat& format : drumMapFormats()) std::cout << format.name << "\n";
        return cli::kSuccess;
    }
    const CommandHelp* help = findCommand(command);
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (help && std::any_of(rest.begin(), rest.end(), cli::asksForHelp)) {
        printUsage(std::cout, help);
        return cli::kSuccess;
    }
    try {
        if (command == "ports") return portsCommand();
        if (command == "receive")
            return receiveCommand(
                parseArguments(rest, {"--bank", "--kit", "--output", "--format", "--in", "--out",
                                      "--device", "--channel", "--wait"}));
        if (command == "show") return showCommand(parseArguments(rest, {}));
        if (command == "export")
            return exportCommand(parseArguments(rest, {"--format", "--select", "--output"}));
        if (command == "decode-kit")
            return decodeKitCommand(parseArguments(rest, {"--vi", "--vw", "--output"}));
        if (command == "settings") return settingsCommand(parseArguments(rest, {}));
        throw UsageError{"unknown command \"" + command + "\""};
    } catch (const UsageError& error) {
        std::cerr << "pulvex-cli: " << error.text << "\n";
        printUsage(std::cerr, help);
        return cli::kUsageError;
    } catch (const InputError& error) {
        return fail(error.text);
    } catch (const PortError& error) {
        return fail(error.text, cli::kPortNotFound);
    }
} catch (const std::exception& error) {
    // The last line of defence: a failure that escaped its command is reported, never an abort.
    return fail(error.what());
} catch (...) {
    return fail("unexpected failure");
}
