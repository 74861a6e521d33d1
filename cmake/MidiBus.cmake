# The MIDI bus of the tests: a private JACK server that a CTest fixture starts before the first
# test that needs it and stops after the last one, whatever their results.
set(SUITE_TEST_JACK_SERVER "suite-tests" CACHE STRING "Name of the private JACK server of the tests")

add_test(NAME midi_bus_start COMMAND ${CMAKE_SOURCE_DIR}/scripts/midi-bus start ${SUITE_TEST_JACK_SERVER})
add_test(NAME midi_bus_stop COMMAND ${CMAKE_SOURCE_DIR}/scripts/midi-bus stop ${SUITE_TEST_JACK_SERVER})
set_tests_properties(midi_bus_start PROPERTIES FIXTURES_SETUP midi_bus)
set_tests_properties(midi_bus_stop PROPERTIES FIXTURES_CLEANUP midi_bus)

# Environment of test processes that are not GoogleTest binaries (those set it in their main()):
# MIDI goes to the private server only, and nothing ever starts a JACK server by accident.
set(SUITE_TEST_ENVIRONMENT
    "JACK_DEFAULT_SERVER=${SUITE_TEST_JACK_SERVER}"
    "JACK_NO_START_SERVER=1"
    "MIDI_API=jack"
    "QT_QPA_PLATFORM=offscreen")

# suite_add_gtest(target [MIDI]): links the suite's test main and registers the GoogleTest cases of
# target with CTest; with MIDI they run on the bus fixture, one at a time: MIDI devices are numbered
# by their position in the port list, and a port that another test opens or closes meanwhile would
# shift the numbers under a running test.
# With GUI the binary gets a QApplication on the offscreen platform before the first test.
function(suite_add_gtest target)
    cmake_parse_arguments(ARG "MIDI;GUI" "" "" ${ARGN})
    if(ARG_GUI)
        target_link_libraries(${target} PRIVATE suite_gui_test_main)
    else()
        target_link_libraries(${target} PRIVATE suite_test_main)
    endif()
    if(ARG_MIDI)
        gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST
                             PROPERTIES TIMEOUT 120 FIXTURES_REQUIRED midi_bus RESOURCE_LOCK midi_bus)
    else()
        # Tests off the bus run beside the bus tests; they get no MIDI service at all, so that
        # nothing they send can reach a port of a bus test.
        gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST
                             PROPERTIES TIMEOUT 120 ENVIRONMENT "SUITE_TEST_WITHOUT_BUS=1")
    endif()
endfunction()

# suite_add_command_test(name [MIDI] COMMAND ...): a test that runs a command line.
function(suite_add_command_test name)
    cmake_parse_arguments(ARG "MIDI" "" "COMMAND" ${ARGN})
    add_test(NAME ${name} COMMAND ${ARG_COMMAND})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${SUITE_TEST_ENVIRONMENT}" TIMEOUT 120)
    if(ARG_MIDI)
        set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED midi_bus RESOURCE_LOCK midi_bus)
    endif()
endfunction()
