# Installing and packaging: `cmake --install build --prefix P` puts the two
# programs in P/bin, the help file in P/share/pixolat (the editor looks there
# when it is not beside the program), the menu entry, the file type, the
# icons, the AppStream metainfo, the manual pages, the copyright file and the
# changelog. `make package` wraps the same into two .debs (cmake/package.cmake):
# component "editor" is the package pixolat, "convert" pixolat-convert.
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

set(PIXOLAT_MAINTAINER "Pixolat developers <pixolat@example.org>"
    CACHE STRING "The Maintainer field of the .debs and the copyright file's contact")
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
# The converter opens it by its place relative to the program (CMakeLists.txt).
install(TARGETS pixolat_picture_codec_module LIBRARY DESTINATION ${PIXOLAT_CODEC_MODULE_DIR}
        COMPONENT convert)

include(cmake/man_pages.cmake)

# The copyright file in Debian's machine-readable form, its licence text and
# holder taken from LICENSE; and the changelog, compressed as Debian keeps it.
# Each package carries both.
file(READ ${CMAKE_CURRENT_SOURCE_DIR}/LICENSE license)
string(REGEX MATCH "Copyright \\(c\\) ([^\n]+)" copyright_line "${license}")
set(PIXOLAT_COPYRIGHT "${CMAKE_MATCH_1}")
string(FIND "${license}" "Permission is hereby granted" grant)
string(SUBSTRING "${license}" ${grant} -1 license)
string(STRIP "${license}" license)
string(REPLACE "\n\n" "\n.\n" license "${license}")
string(REPLACE "\n" "\n " PIXOLAT_LICENSE_TEXT " ${license}")
configure_file(${PIXOLAT_DATA}/package/copyright.in ${PIXOLAT_GENERATED}/copyright @ONLY)

# The packages carry a Debian revision, so CHANGELOG.md is their upstream
# changelog as it is, and changelog.Debian.gz has one entry in Debian's
# format for the packaging, dated with the release.
set(PIXOLAT_DEB_REVISION 1)
set(PIXOLAT_DEB_VERSION ${PROJECT_VERSION}-${PIXOLAT_DEB_REVISION})
execute_process(COMMAND date -u -R -d "${PIXOLAT_RELEASE_DATE} 00:00:00"
                OUTPUT_VARIABLE PIXOLAT_RELEASE_TIME OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)
configure_file(${PIXOLAT_DATA}/package/changelog.Debian.in
               ${PIXOLAT_GENERATED}/changelog.Debian @ONLY)
find_program(GZIP_PROGRAM gzip REQUIRED)
add_custom_command(
    OUTPUT ${PIXOLAT_GENERATED}/changelog.gz ${PIXOLAT_GENERATED}/changelog.Debian.gz
    COMMAND ${GZIP_PROGRAM} -9 -n -c ${CMAKE_CURRENT_SOURCE_DIR}/CHANGELOG.md
            > ${PIXOLAT_GENERATED}/changelog.gz
    COMMAND ${GZIP_PROGRAM} -9 -n -c ${PIXOLAT_GENERATED}/changelog.Debian
            > ${PIXOLAT_GENERATED}/changelog.Debian.gz
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/CHANGELOG.md ${PIXOLAT_GENERATED}/changelog.Debian)
add_custom_target(pixolat_changelog ALL DEPENDS ${PIXOLAT_GENERATED}/changelog.gz)
foreach(package_component pixolat:editor pixolat-convert:convert)
    string(REPLACE ":" ";" pair ${package_component})
    list(GET pair 0 package)
    list(GET pair 1 component)
    if(component STREQUAL "editor" AND NOT TARGET pixolat)
        continue()
    endif()
    install(FILES ${PIXOLAT_GENERATED}/copyright ${PIXOLAT_GENERATED}/changelog.gz
                  ${PIXOLAT_GENERATED}/changelog.Debian.gz
            DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package} COMPONENT ${component})
endforeach()

include(cmake/package.cmake)
