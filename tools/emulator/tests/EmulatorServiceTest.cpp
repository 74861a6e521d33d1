// midi-emulator when it has no MIDI service to stand on: it must say so and end, not pretend to
// serve; and when its service dies under it, a stop must still end it cleanly. These run off the
// shared test bus: the one that needs a service starts a JACK server of its own and kills it.

#include "ChildProcess.h"
#include "testing/PrivateJackServer.h"
#include "testing/TempDir.h"

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <unistd.h>

using namespace std::chrono_literals;
using namespace emulator_tests;

namespace {

class EmulatorWithoutService : public ::testing::Test {
protected:
    testing_support::TempDir dir;
    const std::string stdoutPath = dir.file("stdout.txt"), stderrPath = dir.file("stderr.txt");
};

} // namespace

// Each start that cannot serve ends with status 1 and names the reason on standard error, before
// it claims any port. This test process has no MIDI service (a JACK server name nobody runs).
TEST_F(EmulatorWithoutService, StartsThatCannotServeSayWhyAndExitOne) {
    const std::string setup = dir.file("setup.json");
    struct Case {
        const char* setupText; // written to `setup` when given
        std::string setupPath;
        std::string why;
    };
    const Case cases[] = {
        {R"({"kits": )", setup, setup},
        {R"({"kits": {"preset": [{"name": "Ten Chars!", "sounds": []}]}})", setup, setup},
        {R"({"kits": {"card": [{"name": "K", "sounds": [4096]}]}})", setup, setup},
        {R"({"kits": {"card": [{"name": "K", "sounds": [1.5]}]}})", setup, setup},
        {nullptr, "/dev/zero", "/dev/zero"}, // endless: refused, not read until memory runs out
        {nullptr, "", "No JACK server answers"},
    };
    for (const Case& c : cases) {
        if (c.setupText) std::ofstream(setup) << c.setupText;
        std::vector<std::string> args = {MIDI_EMULATOR, "pulvex"};
        if (!c.setupPath.empty()) args.insert(args.end(), {"--setup", c.setupPath});
        const pid_t child = spawn(args, stdoutPath, stderrPath);
        ASSERT_GT(child, 0);
        int status = waitForExit(child, 5s);
        if (status == kStillRunning) status = stopProcess(child, 1s);
        SCOPED_TRACE(c.setupText ? c.setupText : c.why);
        EXPECT_EQ(status, 1);
        EXPECT_NE(readText(stderrPath).find(c.why), std::string::npos) << readText(stderrPath);
        EXPECT_EQ(readText(stdoutPath).find("programs send to"), std::string::npos);
    }
}

// The suite's command-line conventions: help and version on stdout with 0, a wrong command line
// with its usage on stderr and 2, a file that cannot be used with 1 and no usage. All end before a
// port is opened.
TEST_F(EmulatorWithoutService, CommandLineFollowsTheSuitesConventions) {
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string out, err; // contained; "" takes anything
    };
    const Case cases[] = {
        {{"--version"}, 0, "midi-emulator ", ""},
        {{"--help"}, 0, "Exit status: 0 success", ""},
        {{"morvex", "--help"}, 0, "usage: midi-emulator morvex", ""},
        {{}, 2, "", "usage: midi-emulator pulvex"},
        {{"flute"}, 2, "", "unknown instrument \"flute\""},
        {{"pulvex", "--device", "16"}, 2, "", "usage: midi-emulator pulvex"},
        {{"pulvex", "--fault", "bad-check"}, 2, "", "the Pulvex has no check bytes"},
        {{"morvex", "--voice"}, 2, "", "--voice needs a value"},
        {{"morvex", "--save-dir", "/nonexistent"}, 1, "", "is not a folder"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {MIDI_EMULATOR};
        args.insert(args.end(), c.args.begin(), c.args.end());
        SCOPED_TRACE(args.size() > 1 ? args[1] : "(none)");
        const pid_t child = spawn(args, stdoutPath, stderrPath);
        ASSERT_GT(child, 0);
        int status = waitForExit(child, 5s);
        if (status == kStillRunning) status = stopProcess(child, 1s);
        const std::string out = readText(stdoutPath), err = readText(stderrPath);
        EXPECT_EQ(status, c.status) << err;
        EXPECT_NE(out.find(c.out), std::string::npos) << out;
        EXPECT_NE(err.find(c.err), std::string::npos) << err;
        EXPECT_EQ(err.find("usage") != std::string::npos, c.status == 2) << err;
    }
}

// Closing ports of a JACK server that died crashes inside libjack; the emulator must leave them and
// end with status 0 on its stop.
TEST_F(EmulatorWithoutService, StopAfterItsJackServerDiedEndsItCleanly) {
    testing_support::PrivateJackServer server("emulator-kill");
    ASSERT_TRUE(server.started()) << "cannot start a JACK server of the test's own";
    const pid_t child = spawn({MIDI_EMULATOR, "pulvex"}, stdoutPath, stderrPath,
                              {"JACK_DEFAULT_SERVER=" + server.name});
    ASSERT_GT(child, 0);
    const bool serving = waitForText(stdoutPath, "programs send to");
    server.kill();
    EXPECT_TRUE(serving) << readText(stderrPath);
    // It hears that its service died instead of waiting on ports that are gone.
    EXPECT_TRUE(waitForText(stdoutPath, "MIDI service stopped")) << readText(stdoutPath);
    EXPECT_EQ(stopProcess(child, 3s), 0) << readText(stderrPath);
}
