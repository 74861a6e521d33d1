#include "EmulatorProcess.h"

#include "MidiPeer.h"
#include "midi/Backend.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace testing_support {

bool EmulatorProcess::listed() const {
    return midi::indexOf(midi::service().ports(midi::Direction::Input), outPort()) >= 0 &&
           midi::indexOf(midi::service().ports(midi::Direction::Output), inPort()) >= 0;
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
    const auto midiInUse = midi::service().hold(); // one session for all the listings
    for (int i = 0; i < 250; ++i) {
        if (listed()) return true;
        if (waitpid(pid_, nullptr, WNOHANG) == pid_) { // it could not serve
            pid_ = -1;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
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
