#include "midi/ApiChoice.h"

namespace midi {

RtMidi::Api platformApi() {
#if defined(_WIN32)
    return RtMidi::WINDOWS_MM;
#elif defined(__APPLE__)
    return RtMidi::MACOSX_CORE;
#else
    return RtMidi::LINUX_ALSA;
#endif
}

std::string knownApiNames() {
    std::string names;
    for (const ApiName& entry : kApiNames) {
        if (!names.empty()) names += ", ";
        names += entry.name;
    }
    return names;
}

} // namespace midi
