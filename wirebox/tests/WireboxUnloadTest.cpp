// A host that unloads the library with its ports still open: the library closes them, so no port
// is left behind in the MIDI service.

#include "midi/Backend.h"
#include "testing/MidiDuplexPeer.h"
#include "wirebox/Wirebox.h"

#include <algorithm>
#include <dlfcn.h>
#include <gtest/gtest.h>

namespace {

bool anyPortNamed(const std::vector<std::string>& names, const std::string& part) {
    return std::any_of(names.begin(), names.end(), [&](const std::string& name) {
        return name.find(part) != std::string::npos;
    });
}

std::vector<std::string> allPorts() {
    std::vector<std::string> names = midi::namesOf(midi::service().ports(midi::Direction::Input));
    const auto outputs = midi::namesOf(midi::service().ports(midi::Direction::Output));
    names.insert(names.end(), outputs.begin(), outputs.end());
    return names;
}

} // namespace

TEST(WireboxUnload, UnloadingClosesOpenPorts) {
    testing_support::MidiDuplexPeer peer;
    ASSERT_TRUE(peer.ready()) << "no MIDI bus: run the tests through ctest";

    void* library = dlopen(WIREBOX_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    auto open = reinterpret_cast<decltype(&OpenMidi)>(dlsym(library, "OpenMidi"));
    ASSERT_NE(open, nullptr);
    ASSERT_EQ(open(nullptr, 0, peer.wireboxIn.c_str(), peer.wireboxOut.c_str()), 1);
    EXPECT_TRUE(anyPortNamed(allPorts(), "Wirebox in"));
    EXPECT_TRUE(anyPortNamed(allPorts(), "Wirebox out"));

    ASSERT_EQ(dlclose(library), 0);
    EXPECT_FALSE(anyPortNamed(allPorts(), "Wirebox in"));
    EXPECT_FALSE(anyPortNamed(allPorts(), "Wirebox out"));
}
