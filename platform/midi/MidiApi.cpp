#include "midi/MidiApi.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <jack/jack.h>
#include <mutex>
#include <regex>
#include <thread>

namespace midi {
namespace {

void ignoreJackMessage(const char*) {}
void printJackError(const char* text) {
    std::fprintf(stderr, "%s\n", text);
}

struct JackProbe {
    bool answers = false;
    double periodSeconds = 0.0;
};

// Asks the JACK server once whether it runs, without starting one and without the library's
// complaints on stderr when none runs.
const JackProbe& probeJack() {
    static JackProbe probe;
    static std::once_flag once;
    std::call_once(once, [] {
        jack_set_error_function(ignoreJackMessage);
        jack_set_info_function(ignoreJackMessage);
        jack_status_t status;
        if (jack_client_t* client = jack_client_open("midi-probe", JackNoStartServer, &status)) {
            probe.answers = true;
            const double rate = jack_get_sample_rate(client);
            if (rate > 0) probe.periodSeconds = jack_get_buffer_size(client) / rate;
            jack_client_close(client);
        }
        jack_set_error_function(printJackError);
        jack_set_info_function(ignoreJackMessage);
    });
    return probe;
}

RtMidi::Api platformApi() {
#if defined(_WIN32)
    return RtMidi::WINDOWS_MM;
#elif defined(__APPLE__)
    return RtMidi::MACOSX_CORE;
#else
    return RtMidi::LINUX_ALSA;
#endif
}

template <class Client>
std::unique_ptr<Client> makeClient(const std::string& clientName) {
    try {
        auto client = std::make_unique<Client>(chooseApi(), clientName);
        // Problems after construction are reported by the callers' results, not on stderr.
        client->setErrorCallback([](RtMidiError::Type, const std::string&, void*) {}, nullptr);
        return client;
    } catch (const RtMidiError&) {
        return nullptr;
    }
}

} // namespace

RtMidi::Api chooseApi() {
    if (const char* name = std::getenv("MIDI_API"); name && *name) {
        if (!std::strcmp(name, "jack")) return RtMidi::UNIX_JACK;
        if (!std::strcmp(name, "alsa")) return RtMidi::LINUX_ALSA;
        if (!std::strcmp(name, "winmm")) return RtMidi::WINDOWS_MM;
        if (!std::strcmp(name, "core")) return RtMidi::MACOSX_CORE;
    }
    return probeJack().answers ? RtMidi::UNIX_JACK : platformApi();
}

std::unique_ptr<RtMidiOut> makeOutputClient(const std::string& clientName) {
    return makeClient<RtMidiOut>(clientName);
}

std::unique_ptr<RtMidiIn> makeInputClient(const std::string& clientName) {
    return makeClient<RtMidiIn>(clientName);
}

std::string productName(const std::string& listedName) {
    static const std::regex alsaNumbers(R"( [0-9]+:[0-9]+$)");
    return std::regex_replace(listedName, alsaNumbers, "");
}

std::vector<std::string> portNames(RtMidi& client) {
    std::vector<std::string> names;
    const unsigned count = client.getPortCount();
    for (unsigned i = 0; i < count; ++i) names.push_back(productName(client.getPortName(i)));
    return names;
}

void waitUntilConnectionIsLive(RtMidi::Api api) {
    if (api != RtMidi::UNIX_JACK) return;
    // Three periods: the connection is made in the next cycle, and one more keeps a margin.
    const double period = probeJack().periodSeconds > 0 ? probeJack().periodSeconds : 0.01;
    std::this_thread::sleep_for(std::chrono::duration<double>(3 * period));
}

} // namespace midi
