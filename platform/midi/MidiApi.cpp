#include "midi/MidiApi.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <jack/jack.h>
#if defined(__linux__)
#include <alsa/asoundlib.h>
#endif
#include <mutex>
#include <thread>

namespace midi {
namespace {

void ignoreJackMessage(const char*) {}
void printJackError(const char* text) {
    std::fprintf(stderr, "%s\n", text);
}

// One JACK client per process, never activated, that tells whether a server answers and counts
// its process cycles. Opening a client takes tens of milliseconds, so it is opened once.
struct JackClock {
    jack_client_t* client = nullptr;
    std::atomic<bool> serverGone{false};
};

void onJackShutdown(void* clock) {
    static_cast<JackClock*>(clock)->serverGone = true;
}

JackClock& jackClock() {
    static JackClock clock;
    static std::once_flag once;
    std::call_once(once, [] {
        // Asked without starting a server and without the library's complaints when none runs.
        jack_set_error_function(ignoreJackMessage);
        jack_set_info_function(ignoreJackMessage);
        jack_status_t status;
        clock.client = jack_client_open("suite-clock", JackNoStartServer, &status);
        if (clock.client) jack_on_shutdown(clock.client, onJackShutdown, &clock);
        jack_set_error_function(printJackError);
    });
    return clock;
}

bool jackAnswers() {
    const JackClock& clock = jackClock();
    return clock.client && !clock.serverGone;
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

#if defined(__linux__)
void ignoreAlsaMessage(const char*, int, const char*, int, const char*, ...) {}

// Whether the ALSA sequencer can be opened. Asked first because RtMidi and the ALSA library both
// print their complaints before RtMidi throws, and a machine without MIDI is no error.
bool alsaSequencerAnswers() {
    snd_lib_error_set_handler(ignoreAlsaMessage);
    snd_seq_t* sequencer = nullptr;
    const bool opened = snd_seq_open(&sequencer, "default", SND_SEQ_OPEN_DUPLEX, 0) == 0;
    if (opened) snd_seq_close(sequencer);
    snd_lib_error_set_handler(nullptr);
    return opened;
}
#endif

template <class Client>
std::unique_ptr<Client> makeClient(const std::string& clientName) {
#if defined(__linux__)
    if (chooseApi() == RtMidi::LINUX_ALSA && !alsaSequencerAnswers()) return nullptr;
#endif
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
    return jackAnswers() ? RtMidi::UNIX_JACK : platformApi();
}

std::unique_ptr<RtMidiOut> makeOutputClient(const std::string& clientName) {
    return makeClient<RtMidiOut>(clientName);
}

std::unique_ptr<RtMidiIn> makeInputClient(const std::string& clientName) {
    return makeClient<RtMidiIn>(clientName);
}

std::string productName(const std::string& listedName) {
    // Strip a trailing " <client>:<port>" of digits.
    const std::size_t blank = listedName.rfind(' ');
    if (blank == std::string::npos) return listedName;
    const std::string tail = listedName.substr(blank + 1);
    const std::size_t colon = tail.find(':');
    auto digits = [](const std::string& s) {
        return !s.empty() && s.find_first_not_of("0123456789") == std::string::npos;
    };
    if (colon == std::string::npos || !digits(tail.substr(0, colon)) ||
        !digits(tail.substr(colon + 1)))
        return listedName;
    return listedName.substr(0, blank);
}

std::vector<std::string> portNames(RtMidi& client) {
    std::vector<std::string> names;
    const unsigned count = client.getPortCount();
    for (unsigned i = 0; i < count; ++i) names.push_back(productName(client.getPortName(i)));
    return names;
}

void waitForJackCycles(int cycles, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    JackClock& clock = jackClock();
    if (!clock.client || clock.serverGone) {
        std::this_thread::sleep_for(std::min(limit, std::chrono::milliseconds(10 * cycles)));
        return;
    }
    const jack_nframes_t period = jack_get_buffer_size(clock.client);
    const double rate = jack_get_sample_rate(clock.client);
    const auto pause = std::chrono::duration<double>(rate > 0 ? period / rate / 4 : 0.001);
    const jack_nframes_t start = jack_last_frame_time(clock.client);
    // Frame times wrap around; the unsigned difference still counts forward.
    while (!clock.serverGone && jack_last_frame_time(clock.client) - start < cycles * period &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(pause);
}

void waitUntilConnectionIsLive(RtMidi::Api api) {
    // The connection is made in the next cycle; one more keeps a margin.
    if (api == RtMidi::UNIX_JACK) waitForJackCycles(3);
}

void closeOutput(std::unique_ptr<RtMidiOut>& out) {
    if (!out) return;
    if (out->getCurrentApi() == RtMidi::UNIX_JACK) {
        // RtMidi's JACK output hands messages to its process callback through a ring buffer.
        // Closing while the buffer still holds a message loses it, and destroying the client while
        // a callback still runs reads freed memory: so wait for the cycles to pass on both sides.
        // This holds for virtual ports too, which RtMidi does not count as open.
        waitForJackCycles(3);
        out->closePort();
        waitForJackCycles(2);
    }
    out.reset();
}

} // namespace midi
