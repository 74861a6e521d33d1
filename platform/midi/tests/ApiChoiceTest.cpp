// Which MIDI service MIDI_API picks, and what a name that picks none says.

#include "midi/ApiChoice.h"

#include <gtest/gtest.h>

using namespace midi;

TEST(ApiChoice, NamesTheServiceOrSaysWhichNamesExist) {
    struct Case {
        const char* variable;
        bool jackAnswers;
        RtMidi::Api api;
        const char* error; // part of the error, or null
    } const cases[] = {
        {"jack", false, RtMidi::UNIX_JACK, nullptr}, // named: asked for even without a server
        {"alsa", true, RtMidi::LINUX_ALSA, nullptr},
        {nullptr, true, RtMidi::UNIX_JACK, nullptr},
        {"", false, platformApi(), nullptr},
        {"Jack", true, RtMidi::UNSPECIFIED, "use one of: jack, alsa, winmm, core, dummy"},
        {"pipewire", true, RtMidi::UNSPECIFIED, "MIDI_API=pipewire is not known"},
#if defined(__linux__)
        {"winmm", true, RtMidi::UNSPECIFIED, "this build of RtMidi has no such API"},
#endif
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.variable ? c.variable : "(unset)");
        const ApiChoice choice = chooseApi(c.variable, [&] { return c.jackAnswers; });
        EXPECT_EQ(choice.api, c.api);
        if (c.error)
            EXPECT_NE(choice.error.find(c.error), std::string::npos) << choice.error;
        else
            EXPECT_EQ(choice.error, "");
    }
}
