# Man pages of the programs, made from their own --help and --version by help2man, so that they
# say what the installed version does.
if(SUITE_SANITIZE)
    # Running every program at build time under the sanitizers only slows that build down; the
    # pages are for the package, which is built in Release.
    message(STATUS "Man pages: not made in the sanitizer build")
    return()
endif()
find_program(HELP2MAN_PROGRAM help2man)
find_program(GZIP_PROGRAM gzip)
if(NOT HELP2MAN_PROGRAM OR NOT GZIP_PROGRAM)
    message(STATUS "Man pages: help2man or gzip not found, no man pages (scripts/install-deps installs them)")
    return()
endif()

set(SUITE_MAN_OUTPUT_DIR ${CMAKE_BINARY_DIR}/share/man/man1)
set(SUITE_MAN_PAGES
    "klangor|edit, save and send voices of the Morvex synthesizer"
    "pulvex|read drum kits from the Pulvex module and save them as drum maps"
    "klangor-cli|decode, change, encode, send and receive Morvex voices"
    "pulvex-cli|receive, show and export drum kits of the Pulvex module"
    "midi-emulator|a virtual Morvex synthesizer or Pulvex module on the MIDI bus"
    "wirebox-probe|list MIDI ports and send messages through the Wirebox library")

set(pages)
foreach(entry ${SUITE_MAN_PAGES})
    string(REPLACE "|" ";" entry "${entry}")
    list(GET entry 0 program)
    list(GET entry 1 summary)
    set(page ${SUITE_MAN_OUTPUT_DIR}/${program}.1)
    # The window programs answer --help without a display; offscreen keeps Qt from looking for one.
    add_custom_command(OUTPUT ${page}.gz
                       COMMAND ${CMAKE_COMMAND} -E make_directory ${SUITE_MAN_OUTPUT_DIR}
                       COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
                               ${HELP2MAN_PROGRAM} --no-info --name=${summary}
                               --output=${page} $<TARGET_FILE:${program}>
                       COMMAND ${GZIP_PROGRAM} -9nf ${page}
                       DEPENDS ${program}
                       VERBATIM)
    list(APPEND pages ${page}.gz)
    install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
add_custom_target(man-pages ALL DEPENDS ${pages})
