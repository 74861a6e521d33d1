# The Debian package of the whole suite, made by scripts/make-package from a Release build with
# CPack. One package: the programs, Wirebox with its header, Klangor's data, desktop files, icons,
# man pages and the bash completion.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME klangor-suite)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Klangor maintainers <maintainers@klangor.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "voice editor and drum kit reader for the Morvex synthesizer and the Pulvex module")
set(CPACK_PACKAGE_DESCRIPTION
    "Klangor edits, saves and sends voices of the Morvex synthesizer. Pulvex reads drum kits \
from the Pulvex rhythm module over MIDI and saves them as sequencer drum maps. klangor-cli and \
pulvex-cli do the same without a window, midi-emulator plays either instrument on the MIDI bus, \
and Wirebox is the MIDI port library Pulvex links against, with its C header and wirebox-probe.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
# Depends comes from the libraries the programs really link (dpkg-shlibdeps, from dpkg-dev).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
include(CPack)

# Everything the package installs, so that make-package builds only that and not the tests.
add_custom_target(package-contents)
add_dependencies(package-contents klangor pulvex klangor-cli pulvex-cli midi-emulator
                 wirebox-probe wirebox suite_midi klangor-icons pulvex-icons)
if(TARGET man-pages)
    add_dependencies(package-contents man-pages)
endif()

# Builds the package (a Release build of its own inside this build tree), unpacks it and runs its
# programs. Not under the sanitizers: the package is a Release build.
if(NOT SUITE_SANITIZE)
    add_test(NAME package_installs_and_runs
             COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-package ${CMAKE_BINARY_DIR}/package-test)
    set_tests_properties(package_installs_and_runs PROPERTIES TIMEOUT 3600 SKIP_RETURN_CODE 77)
endif()
