// klangor-cli when the JACK server dies in the middle of a send: it must not report success for a
// dump that never arrived. The server is a private one of this test, with long cycles so that the
// send is still waiting for its bytes to leave when the server is killed.

#include "testing/PrivateJackServer.h"
#include "testing/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

using namespace std::chrono_literals;

namespace {

// The environment of the programs of this test: MIDI goes to the private server only.
std::vector<std::string> childEnvironment(const std::string& server) {
    std::vector<std::string> env;
    for (char** entry = environ; *entry; ++entry) {
        const std::string text = *entry;
        if (text.rfind("JACK_DEFAULT_SERVER=", 0) != 0 && text.rfind("MIDI_API=", 0) != 0)
            env.push_back(text);
    }
    env.push_back("JACK_DEFAULT_SERVER=" + server);
    env.push_back("MIDI_API=jack");
    env.push_back("JACK_NO_START_SERVER=1");
    return env;
}

// A program of the test, its standard output readable through `out`, its errors in a file.
struct Child {
    Child(std::vector<std::string> args, const std::string& errFile, const std::string& server) {
        int pipeEnds[2];
        if (pipe(pipeEnds) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errFile.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        std::vector<std::string> env = childEnvironment(server);
        std::vector<char*> argv, envp;
        for (std::string& arg : args) argv.push_back(arg.data());
        for (std::string& entry : env) envp.push_back(entry.data());
        argv.push_back(nullptr);
        envp.push_back(nullptr);
        if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(pipeEnds[1]);
        out = pipeEnds[0];
    }
    ~Child() {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        if (out >= 0) close(out);
    }
    // The output so far, once it holds `wanted` or `limit` passed.
    std::string readUntil(const std::string& wanted, std::chrono::milliseconds limit) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (text.find(wanted) == std::string::npos &&
               std::chrono::steady_clock::now() < deadline) {
            pollfd ready{out, POLLIN, 0};
            if (poll(&ready, 1, 10) <= 0) continue;
            char buffer[256];
            const ssize_t n = read(out, buffer, sizeof buffer);
            if (n <= 0) break;
            text.append(buffer, static_cast<std::size_t>(n));
        }
        return text;
    }
    // The exit status, or -1 when the program did not end within `limit`.
    int exitStatus(std::chrono::milliseconds limit) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        int status = 0;
        while (waitpid(pid, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() >= deadline) return -1;
            std::this_thread::sleep_for(5ms);
        }
        pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    pid_t pid = -1;
    int out = -1;
    std::string text;
};

std::string fileText(const std::string& path) {
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

TEST(KlangorCliServerDeath, ASendCutOffByTheServerDyingFailsAndSaysSo) {
    testing_support::TempDir dir;
    // A cycle of 8192 frames at 48 kHz lasts 171 ms.
    testing_support::PrivateJackServer server("klangor-kill", 8192);
    ASSERT_TRUE(server.started());
    Child synth({"jack_midi_dump", "klangor-death-synth"}, dir.file("synth.txt"), server.name);
    ASSERT_GT(synth.pid, 0);

    // The synthesizer's port once the CLI lists it.
    std::string listed;
    for (int attempt = 0; attempt < 50 && listed.find("klangor-death-synth") == std::string::npos;
         ++attempt) {
        Child ports({KLANGOR_CLI, "ports"}, dir.file("ports.txt"), server.name);
        listed = ports.readUntil("klangor-death-synth", 10s); // or all of it, once it ended
    }
    ASSERT_EQ(listed.rfind("0: klangor-death-synth:", 0), 0u) << listed;

    Child send({KLANGOR_CLI, "send", std::string(KLANGOR_DATA_DIR) + "/initial.syx", "--to", "0",
                "--verbose"},
               dir.file("send.txt"), server.name);
    // Opened and handing the bytes over: the server dies before they can have left.
    ASSERT_NE(send.readUntil("sending to", 20s).find("sending to"), std::string::npos);
    server.kill();

    EXPECT_EQ(send.exitStatus(10s), 1) << fileText(dir.file("send.txt"));
    const std::string err = fileText(dir.file("send.txt"));
    EXPECT_NE(err.find("Sending to MIDI output 0 failed: The MIDI service stopped"),
              std::string::npos)
        << err;
}
