#include "EmulatorProcess.h"

#include "MidiPeer.h"
#include "midi/MidiApi.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace testing_support {

bool EmulatorProcess::listed() const {
    auto in = midi::makeInputClient("emulator-watch");
    auto out = midi::makeOutputClient("emulator-watch");
    if (!in || !out) return false;
    const auto inputs = midi::portNames(*in);
    const auto outputs = midi::portNames(*out);
    return std::find(inputs.begin(), inputs.end(), outPort()) != inputs.end() &&
           std::find(outputs.begin(), outputs.end(), inPort()) != outputs.end();
}

bool EmulatorProcess::start(const std::string& program, const std::string& mode,
                            const std::vector<std::string>& extra, const std::string& logPath) {
    stop();
    name_ = MidiInputPeer::uniqueName(mode == "pulvex" ? "Pulvex Emu" : "Morvex Emu");
    std::vector<std::string> args = {program, mode, "--name", name_};
    args.insert(args.end(), extra.begin(), extra.end());
    pid_ = fork();
    if (pid_ == 0) {
        std::freopen(logPath.c_str(), "w", stdout);
        std::vector<char*> argv;
        for (auto& arg : args) argv.push_back(arg.data());
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    for (int i = 0; i < 50; ++i) {
        if (listed()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

void EmulatorProcess::stop() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

} // namespace testing_support
