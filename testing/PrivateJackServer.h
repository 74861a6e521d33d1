#pragma once
// A JACK server of one test, which the test may kill as a crash would, apart from the shared test
// bus. Afterwards a killed server's name is started and stopped once more, which frees its slot
// (JACK has eight, and a server that died keeps its slot until a server of that name starts
// again), and what its clients left in shared memory is removed.

#include <string>
#include <sys/types.h>

namespace testing_support {

class PrivateJackServer {
public:
    // The server "<test bus name>-<purpose>": a fixed name per purpose, so that a run that crashed
    // never leaves a slot that the next run cannot take back. `period` is frames per cycle.
    explicit PrivateJackServer(const std::string& purpose, int period = 128);
    ~PrivateJackServer();
    PrivateJackServer(const PrivateJackServer&) = delete;
    PrivateJackServer& operator=(const PrivateJackServer&) = delete;

    bool started() const { return started_ && pid_ > 0; }
    void kill(); // SIGKILL, as a crash would end it

    const std::string name;

private:
    bool script(const std::string& command) const;

    int period_;
    bool started_ = false;
    bool killed_ = false;
    pid_t pid_ = -1;
};

} // namespace testing_support
