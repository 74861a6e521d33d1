// How the suite finds the port a user named, and the names it compares.

#include "midi/Port.h"

#include <gtest/gtest.h>

using midi::Port;

TEST(Port, ProductNameDropsOnlyTheSessionNumbers) {
    const std::pair<const char*, const char*> cases[] = {
        {"Synth:Synth MIDI 1 128:0", "Synth:Synth MIDI 1"},
        {"Morvex Emulator In:MIDI In", "Morvex Emulator In:MIDI In"},
        {"Mixer 12:a", "Mixer 12:a"}, // not all digits
        {"Port 7:", "Port 7:"},
        {"Port :3", "Port :3"},
        {"14:0", "14:0"}, // nothing before the numbers
        {"", ""},
    };
    for (const auto& [listed, product] : cases)
        EXPECT_EQ(midi::productName(listed), product) << listed;
}

TEST(Port, ClientAndPortPartsSplitAtTheFirstColon) {
    const Port port{"Klangor:MIDI Out:2"};
    EXPECT_EQ(port.client(), "Klangor");
    EXPECT_EQ(port.port(), "MIDI Out:2");
    EXPECT_EQ(Port{"Lonely"}.client(), "Lonely");
    EXPECT_EQ(Port{"Lonely"}.port(), "");
}

TEST(Port, FindPortPrefersAnExactNameThenOneCaseInsensitivePart) {
    const std::vector<Port> ports{
        {"Morvex Emulator In:MIDI In"}, {"Pulvex:in"}, {"Pulvex:in 2"}, {"Drums:MIDI In"}};
    struct Case {
        const char* wanted;
        const char* found; // null: none
        std::vector<std::string> candidates;
    };
    const Case cases[] = {
        {"Pulvex:in", "Pulvex:in", {}}, // exact beats being a part of "Pulvex:in 2"
        {"morvex", "Morvex Emulator In:MIDI In", {}},
        {"IN 2", "Pulvex:in 2", {}},
        {"midi in", nullptr, {"Morvex Emulator In:MIDI In", "Drums:MIDI In"}},
        {"pulvex:IN", nullptr, {"Pulvex:in", "Pulvex:in 2"}},
        {"Nowhere", nullptr, {}},
        {"", nullptr, {}},
    };
    for (const Case& c : cases) {
        const midi::PortMatch match = midi::findPort(ports, c.wanted);
        EXPECT_EQ(match.port ? match.port->name : "(none)", c.found ? c.found : "(none)")
            << c.wanted;
        EXPECT_EQ(match.candidates, c.candidates) << c.wanted;
    }
    EXPECT_EQ(midi::findPort({}, "x").port, nullptr);
}

TEST(Port, APortArgumentIsANumberOrANameAndAMissOneLineSayingWhy) {
    const std::vector<Port> ports{{"Pulvex:in"}, {"Pulvex:in 2"}, {"7"}};
    struct Case {
        const char* wanted;
        const char* found; // null: none, and then the text
        const char* why;
    };
    const Case cases[] = {
        {"1", "Pulvex:in 2", ""},
        {"2", "7", ""}, // a number is a place in the list, even where a name looks like one
        {"3", nullptr, "there is no MIDI port number 3"},
        {"pulvex", nullptr,
         "\"pulvex\" is part of several ports' names: \"Pulvex:in\", \"Pulvex:in 2\""},
        {"in 2", "Pulvex:in 2", ""},
        {"drums", nullptr, "no MIDI port is named \"drums\" or has it in its name"},
    };
    for (const Case& c : cases) {
        const midi::PortMatch match = midi::findPortArgument(ports, c.wanted);
        EXPECT_EQ(match.port ? match.port->name : "(none)", c.found ? c.found : "(none)")
            << c.wanted;
        if (!c.found) {
            EXPECT_EQ(midi::noPortText(c.wanted, match), c.why);
        }
    }
}
