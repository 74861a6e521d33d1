#pragma once
// midi-emulator as a child process of a test: started under a name of its own, ready once the MIDI
// service lists both of its ports, stopped with SIGTERM.

#include <string>
#include <sys/types.h>
#include <vector>

namespace testing_support {

class EmulatorProcess {
public:
    EmulatorProcess() = default;
    EmulatorProcess(const EmulatorProcess&) = delete;
    EmulatorProcess& operator=(const EmulatorProcess&) = delete;
    ~EmulatorProcess() { stop(); }

    // Runs `program mode --name <unique name> extra...` with its standard output in logPath and
    // waits up to 5 s for its ports; false when they did not appear or it ended.
    bool start(const std::string& program, const std::string& mode,
               const std::vector<std::string>& extra, const std::string& logPath);
    void stop();

    const std::string& name() const { return name_; }
    // The ports as the programs list them: where the instrument listens, and where it answers.
    std::string inPort() const { return name_ + " In:MIDI In"; }
    std::string outPort() const { return name_ + " Out:MIDI Out"; }

private:
    bool listed() const;

    std::string name_;
    pid_t pid_ = -1;
};

} // namespace testing_support
