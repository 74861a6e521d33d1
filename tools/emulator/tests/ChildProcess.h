#pragma once
// The emulator and the command-line tools as child processes of a test: started with their output
// in files, watched through those files, and their exit status read as a shell shows it.

#include <chrono>
#include <string>
#include <sys/types.h>
#include <vector>

namespace emulator_tests {

constexpr int kStillRunning = -1;

// Starts `args` with standard input from /dev/null and its output in the files `out` and `err`.
// `environment` holds NAME=value settings that replace or add to the test's own. -1 on failure.
pid_t spawn(const std::vector<std::string>& args, const std::string& out, const std::string& err,
            const std::vector<std::string>& environment = {});

// The exit status once the process has ended (128 + the signal that ended it), or kStillRunning.
int waitForExit(pid_t pid, std::chrono::milliseconds limit);

// Ends the process (SIGTERM, then SIGKILL when it does not end) and returns its exit status.
int stopProcess(pid_t pid, std::chrono::milliseconds patience);

std::string readText(const std::string& path);

// Waits up to 5 s until the file (written by the child as it goes) holds `word` `count` times.
bool waitForText(const std::string& path, const std::string& word, std::size_t count = 1);

} // namespace emulator_tests
