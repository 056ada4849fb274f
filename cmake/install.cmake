# Installing: `cmake --install build --prefix P` puts the two programs in
# P/bin, the picture codec module in P/lib/<multiarch>/pixolat, the help file
# in P/share/pixolat (the editor looks there when it is not beside the
# program), the menu entry, the file type, the icons, the AppStream metainfo
# and the manual pages. The Debian packages (debian/, `make deb`) split the
# same files as the components do: "editor" is the package pixolat,
# "convert" pixolat-convert and "codec" pixolat-picture-codec.
include(GNUInstallDirs)

# Both programs print this with --version; the tests check it.
foreach(target pixolat pixolat_converter pixolat_picture_codec_module pixolat_tests
               pixolat_convert_tests)
    if(TARGET ${target})
        target_compile_definitions(${target} PRIVATE PIXOLAT_VERSION="${PROJECT_VERSION}")
    endif()
endforeach()

# The release date is the changelog's: its newest heading, "## VERSION (DATE)",
# must name this version, so no version goes out without its entry.
file(STRINGS ${CMAKE_CURRENT_SOURCE_DIR}/CHANGELOG.md PIXOLAT_NEWEST_RELEASE
     REGEX "^## " LIMIT_COUNT 1)
if(NOT PIXOLAT_NEWEST_RELEASE MATCHES "^## ([^ ]+) \\(([0-9]+-[0-9]+-[0-9]+)\\)$"
   OR NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
    message(FATAL_ERROR "CHANGELOG.md's newest heading \"${PIXOLAT_NEWEST_RELEASE}\" "
                        "is not \"## ${PROJECT_VERSION} (YYYY-MM-DD)\"")
endif()
set(PIXOLAT_RELEASE_DATE ${CMAKE_MATCH_2})

option(PIXOLAT_PACKAGE "Fail instead of leaving out files whose tools are missing" OFF)

set(PIXOLAT_DATA ${CMAKE_CURRENT_SOURCE_DIR}/data)
set(PIXOLAT_GENERATED ${CMAKE_CURRENT_BINARY_DIR}/generated)

if(TARGET pixolat)
    install(TARGETS pixolat RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT editor)
    install(FILES ${PIXOLAT_DATA}/varnospixolat.hlp
            DESTINATION ${CMAKE_INSTALL_DATADIR}/pixolat COMPONENT editor)
    install(FILES ${PIXOLAT_DATA}/desktop/org.pixolat.pixolat.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT editor)
    # The .prg file type: the desktop's shared-mime-info database reads it.
    install(FILES ${PIXOLAT_DATA}/desktop/org.pixolat.pixolat.xml
            DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages COMPONENT editor)
    configure_file(${PIXOLAT_DATA}/desktop/org.pixolat.pixolat.metainfo.xml.in
                   ${PIXOLAT_GENERATED}/org.pixolat.pixolat.metainfo.xml @ONLY)
    install(FILES ${PIXOLAT_GENERATED}/org.pixolat.pixolat.metainfo.xml
            DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT editor)
    include(cmake/icons.cmake)
endif()
install(TARGETS pixolat-convert RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT convert)
# The converter opens it here, found from its own folder or by this path
# compiled in (CMakeLists.txt).
install(TARGETS pixolat_picture_codec_module LIBRARY DESTINATION ${PIXOLAT_CODEC_MODULE_DIR}
        COMPONENT codec)

include(cmake/man_pages.cmake)

