// A host that unloads the library with its ports still open: the library closes them, so no port
// is left behind in the MIDI service.

#include "midi/MidiInput.h"
#include "midi/MidiOutput.h"
#include "wirebox/Wirebox.h"

#include <algorithm>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

bool anyPortNamed(const std::string& part) {
    midi::Backend& service = midi::service();
    const auto held = service.hold();
    std::vector<midi::Port> ports = service.ports(midi::Direction::Input);
    const auto outputs = service.ports(midi::Direction::Output);
    ports.insert(ports.end(), outputs.begin(), outputs.end());
    return std::any_of(ports.begin(), ports.end(), [&](const midi::Port& port) {
        return port.name.find(part) != std::string::npos;
    });
}

// The listed name of the one port whose name holds `part`, or empty.
std::string listedName(midi::Direction direction, const std::string& part) {
    const auto ports = midi::service().ports(direction);
    const midi::PortMatch match = midi::findPort(ports, part);
    return match.port ? match.port->name : std::string{};
}

} // namespace

TEST(WireboxUnload, UnloadingClosesOpenPorts) {
    const std::string unique = std::to_string(getpid());
    std::string error;
    const auto held = midi::service().hold();
    auto peerIn = midi::MidiInput::open({"Unload In " + unique, "in", {}, false}, error);
    auto peerOut = midi::MidiOutput::open({"Unload Out " + unique, "out", {}, false}, error);
    ASSERT_TRUE(peerIn && peerOut) << "no MIDI bus: run the tests through ctest (" << error << ")";
    const std::string wireboxOut = listedName(midi::Direction::Output, "Unload In " + unique);
    const std::string wireboxIn = listedName(midi::Direction::Input, "Unload Out " + unique);
    ASSERT_FALSE(wireboxOut.empty());
    ASSERT_FALSE(wireboxIn.empty());

    void* library = dlopen(WIREBOX_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    auto open = reinterpret_cast<decltype(&OpenMidi)>(dlsym(library, "OpenMidi"));
    ASSERT_NE(open, nullptr);
    ASSERT_EQ(open(nullptr, 0, wireboxIn.c_str(), wireboxOut.c_str()), 1);
    EXPECT_TRUE(anyPortNamed("Wirebox in"));
    EXPECT_TRUE(anyPortNamed("Wirebox out"));

    ASSERT_EQ(dlclose(library), 0);
    EXPECT_FALSE(anyPortNamed("Wirebox in"));
    EXPECT_FALSE(anyPortNamed("Wirebox out"));
}
