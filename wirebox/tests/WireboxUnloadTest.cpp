// A host that unloads the library with its ports still open: the library closes them, so no port
// is left behind in the MIDI service.

#include "midi/MidiApi.h"
#include "testing/MidiDuplexPeer.h"
#include "testing/MidiPeer.h"
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
    auto in = midi::makeInputClient("unload-check");
    auto out = midi::makeOutputClient("unload-check");
    std::vector<std::string> names = in ? midi::portNames(*in) : std::vector<std::string>{};
    if (out) {
        const auto outputs = midi::portNames(*out);
        names.insert(names.end(), outputs.begin(), outputs.end());
    }
    return names;
}

} // namespace

TEST(WireboxUnload, UnloadingClosesOpenPorts) {
    const std::string peerIn = testing_support::MidiInputPeer::uniqueName("Unload In");
    const std::string peerOut = testing_support::MidiInputPeer::uniqueName("Unload Out");
    auto in = midi::makeInputClient("unload-peer");
    auto out = midi::makeOutputClient("unload-peer");
    ASSERT_TRUE(in && out) << "no MIDI bus: run the tests through ctest";
    in->openVirtualPort(peerIn);
    out->openVirtualPort(peerOut);
    auto lister = midi::makeOutputClient("unload-lister");
    const std::string wireboxOut = testing_support::listedPortName(*lister, peerIn);
    auto inputLister = midi::makeInputClient("unload-lister");
    const std::string wireboxIn = testing_support::listedPortName(*inputLister, peerOut);
    ASSERT_FALSE(wireboxOut.empty());
    ASSERT_FALSE(wireboxIn.empty());

    void* library = dlopen(WIREBOX_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    auto open = reinterpret_cast<decltype(&OpenMidi)>(dlsym(library, "OpenMidi"));
    ASSERT_NE(open, nullptr);
    ASSERT_EQ(open(nullptr, 0, wireboxIn.c_str(), wireboxOut.c_str()), 1);
    EXPECT_TRUE(anyPortNamed(allPorts(), "Wirebox in"));
    EXPECT_TRUE(anyPortNamed(allPorts(), "Wirebox out"));

    ASSERT_EQ(dlclose(library), 0);
    EXPECT_FALSE(anyPortNamed(allPorts(), "Wirebox in"));
    EXPECT_FALSE(anyPortNamed(allPorts(), "Wirebox out"));
}
