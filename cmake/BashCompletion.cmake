# Bash completion: one script for all the suite's programs, installed under each program's name
# where bash-completion looks for it on demand.
set(SUITE_COMPLETION_SCRIPT ${CMAKE_SOURCE_DIR}/scripts/completion/suite-completion.bash)
foreach(program klangor-cli pulvex-cli midi-emulator wirebox-probe klangor pulvex)
    install(FILES ${SUITE_COMPLETION_SCRIPT}
            DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME ${program})
endforeach()

# The programs it asks are all built into one folder.
suite_add_command_test(bash_completion
    COMMAND ${CMAKE_SOURCE_DIR}/scripts/completion/completes-commands-formats-and-ports
            $<TARGET_FILE_DIR:pulvex-cli>)
