# What a desktop needs of a window program: its desktop entry, its AppStream metainfo and its icon
# in every size the hicolor theme is asked for, drawn at build time by the program's own icon code.
set(SUITE_ICON_SIZES 16 22 24 32 48 64 128 256)

# suite_add_desktop_files(ID ICON_NAME GENERATOR [ARG ...]): installs ID.desktop and
# ID.metainfo.xml from the current source folder, and runs "GENERATOR ARG ... OUT.png SIZE" for
# each icon size into <build>/icons, installed as ICON_NAME.png.
function(suite_add_desktop_files id icon_name generator)
    set(icons)
    foreach(size ${SUITE_ICON_SIZES})
        set(folder ${CMAKE_BINARY_DIR}/icons/hicolor/${size}x${size}/apps)
        add_custom_command(OUTPUT ${folder}/${icon_name}.png
                           COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
                           COMMAND ${generator} ${ARGN} ${folder}/${icon_name}.png ${size}
                           DEPENDS ${generator}
                           VERBATIM)
        list(APPEND icons ${folder}/${icon_name}.png)
        install(FILES ${folder}/${icon_name}.png
                DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
    endforeach()
    add_custom_target(${icon_name}-icons ALL DEPENDS ${icons})

    install(FILES ${id}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${id}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endfunction()
