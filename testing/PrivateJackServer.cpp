#include "testing/PrivateJackServer.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

namespace testing_support {
namespace {

std::string stateDir() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    return std::string(runtime && *runtime ? runtime : "/tmp") + "/midi-bus";
}

} // namespace

PrivateJackServer::PrivateJackServer(const std::string& purpose, int period)
    : name(std::string(SUITE_TEST_JACK_SERVER) + "-" + purpose), period_(period) {
    started_ = script("start");
    std::ifstream(stateDir() + "/" + name + ".pid") >> pid_;
}

PrivateJackServer::~PrivateJackServer() {
    if (!started_) return;
    if (killed_) {
        // A name is only started again once the killed server has really gone.
        for (int i = 0; i < 500 && ::kill(pid_, 0) == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        script("start");
    }
    script("stop");
    std::error_code ignored;
    std::filesystem::remove(stateDir() + "/" + name + ".log", ignored);
    for (const auto& entry : std::filesystem::directory_iterator("/dev/shm", ignored))
        if (entry.path().filename().string().find("_" + name + "_") != std::string::npos)
            std::filesystem::remove(entry.path(), ignored);
}

void PrivateJackServer::kill() {
    killed_ = pid_ > 0 && ::kill(pid_, SIGKILL) == 0;
}

bool PrivateJackServer::script(const std::string& command) const {
    const std::string line = "MIDI_BUS_PERIOD=" + std::to_string(period_) + " '" +
                             SUITE_SCRIPTS_DIR + "/midi-bus' " + command + " '" + name +
                             "' >/dev/null 2>&1";
    return std::system(line.c_str()) == 0;
}

} // namespace testing_support
