#pragma once
// The process's one helper client of the JACK server, never activated (it costs no processor): it
// lists ports, counts process cycles and hears when the server goes away. It lives while MIDI is
// in use, held by the open ports and by an exchange that lists and opens, and closes with the last
// holder, so a process that is not using MIDI has no JACK client and maps none of JACK's memory.

#include "midi/Port.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

struct _jack_client;

namespace midi {

class JackHelper {
public:
    // The helper, opened when none is; null when no JACK server answers. With `retry` a refused
    // client is asked for once more a moment later (JACK refuses about one client in a hundred on
    // a busy machine).
    static std::shared_ptr<JackHelper> acquire(bool retry);
    // Whether a JACK server answers now (keeps the helper only while someone holds it).
    static bool serverAnswers();

    ~JackHelper();
    JackHelper(const JackHelper&) = delete;
    JackHelper& operator=(const JackHelper&) = delete;

    std::vector<Port> ports(Direction direction);
    bool portExists(const std::string& name);
    bool serverGone() const { return gone_; }

    // Waits until the server has run `cycles` more process cycles, at most `limit`. False when it
    // went away or its cycles stopped meanwhile.
    bool waitCycles(int cycles, std::chrono::milliseconds limit);

    // Called once, on JACK's thread, when the server goes away. Returns a ticket for forget().
    int onServerGone(std::function<void()> listener);
    void forget(int ticket);

private:
    explicit JackHelper(_jack_client* client);
    static void shutdown(void* self);

    _jack_client* client_;
    std::atomic<bool> gone_{false};
    std::mutex listenersMutex_;
    std::map<int, std::function<void()>> listeners_;
    int nextTicket_ = 0;
};

} // namespace midi
