# The menu icon in every size desktops look for, rendered from the one SVG
# at build time with rsvg-convert (librsvg2-bin). Without it only the SVG is
# installed, unless PIXOLAT_PACKAGE asks for everything.
set(PIXOLAT_ICON_SIZES 16 22 24 32 48 64 128 256)
set(svg ${PIXOLAT_DATA}/desktop/pixolat.svg)
install(FILES ${svg} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        COMPONENT editor)
if(PIXOLAT_PACKAGE)
    find_program(RSVG_CONVERT rsvg-convert REQUIRED)
else()
    find_program(RSVG_CONVERT rsvg-convert)
endif()
if(RSVG_CONVERT)
    set(icons "")
    foreach(size ${PIXOLAT_ICON_SIZES})
        set(icon ${CMAKE_CURRENT_BINARY_DIR}/icons/${size}x${size}/pixolat.png)
        # Ninja makes an output's folder itself; the other generators do not.
        file(MAKE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/icons/${size}x${size})
        add_custom_command(
            OUTPUT ${icon}
            COMMAND ${RSVG_CONVERT} -w ${size} -h ${size} -o ${icon} ${svg}
            DEPENDS ${svg}
            VERBATIM)
        install(FILES ${icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
                COMPONENT editor)
        list(APPEND icons ${icon})
    endforeach()
    add_custom_target(pixolat_icons ALL DEPENDS ${icons})
else()
    message(STATUS "rsvg-convert (librsvg2-bin) not found: only the SVG icon is installed")
    add_custom_target(pixolat_icons)
endif()
