# Installing and packaging: `cmake --install build --prefix P` puts the two
# programs in P/bin, the help file in P/share/pixolat (the editor looks there
# when it is not beside the program), the menu entry, the icons, the AppStream
# metainfo and the manual pages. `make package` wraps the same into a .deb.
include(GNUInstallDirs)

# Both programs print this with --version; the tests check it.
foreach(target pixolat pixolat_converter pixolat_tests pixolat_convert_tests)
    if(TARGET ${target})
        target_compile_definitions(${target} PRIVATE PIXOLAT_VERSION="${PROJECT_VERSION}")
    endif()
endforeach()
foreach(program pixolat pixolat-convert)
    if(TARGET ${program})
        install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    endif()
endforeach()

set(PIXOLAT_DATA ${CMAKE_CURRENT_SOURCE_DIR}/data)
if(TARGET pixolat)
    install(FILES ${PIXOLAT_DATA}/varnospixolat.hlp
            DESTINATION ${CMAKE_INSTALL_DATADIR}/pixolat)
    install(FILES ${PIXOLAT_DATA}/desktop/org.pixolat.pixolat.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${PIXOLAT_DATA}/desktop/org.pixolat.pixolat.metainfo.xml
            DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
    # The PNG is the SVG rendered once: rsvg-convert -w 256 -h 256 pixolat.svg.
    install(FILES ${PIXOLAT_DATA}/desktop/pixolat.svg
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
    install(FILES ${PIXOLAT_DATA}/desktop/pixolat.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)
endif()

# Manual pages, compressed as Debian keeps them.
find_program(GZIP_PROGRAM gzip REQUIRED)
set(PIXOLAT_MAN_PAGES "")
foreach(page pixolat.1 pixolat-convert.1)
    set(page_file ${CMAKE_CURRENT_BINARY_DIR}/man/${page})
    set(compressed ${page_file}.gz)
    configure_file(${PIXOLAT_DATA}/man/${page}.in ${page_file} @ONLY)
    add_custom_command(
        OUTPUT ${compressed}
        COMMAND ${GZIP_PROGRAM} -9 -n -f -k ${page_file}
        DEPENDS ${page_file}
        VERBATIM)
    list(APPEND PIXOLAT_MAN_PAGES ${compressed})
endforeach()
add_custom_target(pixolat_man_pages ALL DEPENDS ${PIXOLAT_MAN_PAGES})
install(FILES ${PIXOLAT_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pixolat)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Pixel graphics editor for the Commodore Plus/4")
# One string: the line breaks become the control file's continuation lines.
set(CPACK_PACKAGE_DESCRIPTION "Pixolat edits hires and multicolor bitmaps, DFLI pictures
and character sets of the Commodore Plus/4 (TED chip). It imports and exports
.PRG files, writes pictures as assembler byte directives and exports .PRG files
that show themselves on the machine. pixolat-convert does the same conversions
from the command line.")
set(PIXOLAT_MAINTAINER "Pixolat developers <pixolat@example.org>"
    CACHE STRING "The Maintainer field of the .deb")
set(CPACK_PACKAGE_CONTACT "${PIXOLAT_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${PIXOLAT_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt draws the editor's texts with whatever fonts there are; a bare system has none.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS fonts-dejavu-core)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
include(CPack)
