#pragma once
// Which RtMidi API the suite uses: the one MIDI_API names ("jack", "alsa", "winmm", "core",
// "dummy"); without it JACK when a JACK server answers, else the platform's own. An unknown name is
// an error that lists the known ones: a typo must not quietly send MIDI elsewhere.

#include <algorithm>
#include <array>
#include <rtmidi/RtMidi.h>
#include <string>
#include <string_view>
#include <vector>

namespace midi {

struct ApiName {
    std::string_view name;
    RtMidi::Api api;
};

inline constexpr std::array kApiNames = {
    ApiName{"jack", RtMidi::UNIX_JACK},     ApiName{"alsa", RtMidi::LINUX_ALSA},
    ApiName{"winmm", RtMidi::WINDOWS_MM},   ApiName{"core", RtMidi::MACOSX_CORE},
    ApiName{"dummy", RtMidi::RTMIDI_DUMMY},
};

consteval bool namesAreUnique() {
    for (std::size_t i = 0; i < kApiNames.size(); ++i)
        for (std::size_t j = i + 1; j < kApiNames.size(); ++j)
            if (kApiNames[i].name == kApiNames[j].name || kApiNames[i].api == kApiNames[j].api)
                return false;
    return true;
}
static_assert(namesAreUnique());

struct ApiChoice {
    RtMidi::Api api = RtMidi::UNSPECIFIED;
    std::string error; // set when MIDI_API names no API this build has
};

// `variable` is MIDI_API's value (null or empty: not set); `jackAnswers` is asked only then.
template <class JackAnswers>
ApiChoice chooseApi(const char* variable, JackAnswers jackAnswers);

RtMidi::Api platformApi();
std::string knownApiNames(); // "jack, alsa, winmm, core, dummy"

template <class JackAnswers>
ApiChoice chooseApi(const char* variable, JackAnswers jackAnswers) {
    if (variable && *variable) {
        for (const ApiName& entry : kApiNames)
            if (entry.name == variable) {
                std::vector<RtMidi::Api> compiled;
                RtMidi::getCompiledApi(compiled);
                if (std::find(compiled.begin(), compiled.end(), entry.api) == compiled.end())
                    return {RtMidi::UNSPECIFIED, "MIDI_API=" + std::string(variable) +
                                                     ": this build of RtMidi has no such API"};
                return {entry.api, {}};
            }
        return {RtMidi::UNSPECIFIED, "MIDI_API=" + std::string(variable) +
                                         " is not known; use one of: " + knownApiNames()};
    }
    return {jackAnswers() ? RtMidi::UNIX_JACK : platformApi(), {}};
}

} // namespace midi
