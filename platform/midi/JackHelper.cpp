#include "midi/JackHelper.h"

#include <cstdio>
#include <jack/jack.h>
#include <thread>

namespace midi {
namespace {

void ignoreJackMessage(const char*) {}
void printJackError(const char* text) {
    std::fprintf(stderr, "%s\n", text);
}

constexpr std::chrono::milliseconds kRetryPause{100};
// A loaded machine refuses several clients in a row now and then. A server that is not there at
// all is asked once more only, so a missing server costs one pause, not several.
constexpr int kAttemptsWhenRefused = 4;
constexpr int kAttemptsWhenAbsent = 2;

jack_client_t* openClient(jack_status_t& status) {
    // Asked without starting a server and without the library's complaints when none runs.
    jack_set_error_function(ignoreJackMessage);
    jack_set_info_function(ignoreJackMessage);
    jack_client_t* client = jack_client_open("suite-helper", JackNoStartServer, &status);
    jack_set_error_function(printJackError);
    return client;
}

std::mutex& helperMutex() {
    static auto* mutex = new std::mutex; // never destroyed: ports may close during exit
    return *mutex;
}

std::weak_ptr<JackHelper>& currentHelper() {
    static auto* helper = new std::weak_ptr<JackHelper>;
    return *helper;
}

} // namespace

std::shared_ptr<JackHelper> JackHelper::acquire(bool retry) {
    std::lock_guard lock(helperMutex());
    if (auto helper = currentHelper().lock(); helper && !helper->serverGone()) return helper;
    jack_status_t status{};
    jack_client_t* client = openClient(status);
    for (int attempt = 1; !client && retry; ++attempt) {
        const bool absent = (status & JackServerFailed) != 0;
        if (attempt >= (absent ? kAttemptsWhenAbsent : kAttemptsWhenRefused)) break;
        std::this_thread::sleep_for(kRetryPause);
        client = openClient(status);
    }
    if (!client) return nullptr;
    std::shared_ptr<JackHelper> helper(new JackHelper(client));
    jack_on_shutdown(client, &JackHelper::shutdown, helper.get());
    currentHelper() = helper;
    return helper;
}

bool JackHelper::serverAnswers() {
    return acquire(false) != nullptr;
}

JackHelper::JackHelper(jack_client_t* client) : client_(client) {}

JackHelper::~JackHelper() {
    // Closing a client whose server died crashes inside libjack; such a client is left as it is.
    if (!gone_) jack_client_close(client_);
}

void JackHelper::shutdown(void* self) {
    auto* helper = static_cast<JackHelper*>(self);
    helper->gone_ = true;
    std::map<int, std::function<void()>> listeners;
    {
        std::lock_guard lock(helper->listenersMutex_);
        listeners.swap(helper->listeners_);
    }
    for (auto& [ticket, listener] : listeners) listener();
}

int JackHelper::onServerGone(std::function<void()> listener) {
    std::lock_guard lock(listenersMutex_);
    const int ticket = ++nextTicket_;
    if (gone_) {
        listener();
        return ticket;
    }
    listeners_.emplace(ticket, std::move(listener));
    return ticket;
}

void JackHelper::forget(int ticket) {
    std::lock_guard lock(listenersMutex_);
    listeners_.erase(ticket);
}

std::vector<Port> JackHelper::ports(Direction direction) {
    std::vector<Port> ports;
    if (gone_) return ports;
    // An input of ours reads from another client's output port, and the other way round.
    const unsigned long flags = direction == Direction::Input ? JackPortIsOutput : JackPortIsInput;
    const char** names = jack_get_ports(client_, nullptr, JACK_DEFAULT_MIDI_TYPE, flags);
    if (!names) return ports;
    for (const char** name = names; *name; ++name) ports.push_back(Port{*name});
    jack_free(names);
    return ports;
}

bool JackHelper::portExists(const std::string& name) {
    return !gone_ && jack_port_by_name(client_, name.c_str()) != nullptr;
}

bool JackHelper::waitCycles(int cycles, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    if (gone_) return false;
    const jack_nframes_t period = jack_get_buffer_size(client_);
    const double rate = jack_get_sample_rate(client_);
    const auto pause = std::chrono::duration<double>(rate > 0 ? period / rate / 4 : 0.001);
    const jack_nframes_t start = jack_last_frame_time(client_);
    // Frame times wrap around; the unsigned difference still counts forward.
    while (!gone_ &&
           jack_last_frame_time(client_) - start < static_cast<jack_nframes_t>(cycles) * period) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(pause);
    }
    return !gone_;
}

} // namespace midi
