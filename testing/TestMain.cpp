// The main() of every test binary: MIDI goes to the private JACK server of the tests (started by a
// CTest fixture), never to a server of the user's, and windows go to the offscreen platform.
#include <cstdlib>
#include <gtest/gtest.h>
#ifdef SUITE_TEST_WITH_WINDOWS
#include <QApplication>
#endif

int main(int argc, char** argv) {
    // A test off the bus gets a server name that no server has: no MIDI service at all.
    const bool withoutBus = std::getenv("SUITE_TEST_WITHOUT_BUS") != nullptr;
    setenv("JACK_DEFAULT_SERVER", withoutBus ? "suite-no-bus" : SUITE_TEST_JACK_SERVER, 1);
    setenv("JACK_NO_START_SERVER", "1", 1);
    setenv("MIDI_API", "jack", 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    testing::InitGoogleTest(&argc, argv);
#ifdef SUITE_TEST_WITH_WINDOWS
    QApplication application(argc, argv);
#endif
    return RUN_ALL_TESTS();
}
