#include "ChildProcess.h"

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace emulator_tests {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

pid_t spawn(const std::vector<std::string>& args, const std::string& out, const std::string& err,
            const std::vector<std::string>& environment) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    std::vector<std::string> variables = environment;
    for (char** at = environ; *at; ++at) {
        const std::string variable = *at;
        const std::string key = variable.substr(0, variable.find('=') + 1);
        if (std::none_of(environment.begin(), environment.end(),
                         [&](const std::string& set) { return set.starts_with(key); }))
            variables.push_back(variable);
    }
    std::vector<char*> envp;
    for (std::string& variable : variables) envp.push_back(variable.data());
    envp.push_back(nullptr);
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : -1;
}

int waitForExit(pid_t pid, std::chrono::milliseconds limit) {
    for (const auto end = Clock::now() + limit;; std::this_thread::sleep_for(20ms)) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        if (Clock::now() >= end) return kStillRunning;
    }
}

int stopProcess(pid_t pid, std::chrono::milliseconds patience) {
    kill(pid, SIGTERM);
    if (const int status = waitForExit(pid, patience); status != kStillRunning) return status;
    kill(pid, SIGKILL);
    return waitForExit(pid, 5s);
}

std::string readText(const std::string& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool waitForText(const std::string& path, const std::string& word, std::size_t count) {
    for (const auto end = Clock::now() + 5s; Clock::now() < end;
         std::this_thread::sleep_for(20ms)) {
        const std::string text = readText(path);
        std::size_t found = 0;
        for (auto at = text.find(word); at != std::string::npos; at = text.find(word, at + 1))
            ++found;
        if (found >= count) return true;
    }
    return false;
}

} // namespace emulator_tests
