# `make package`: two .debs from the install rules. pixolat is the editor;
# pixolat-convert the converter alone, which needs no widgets and no fonts,
# for build machines and servers without a desktop. Builds of one commit give
# the same bytes: CPack stamps every file with SOURCE_DATE_EPOCH (the Makefile
# sets it to the last commit's time) and the modes below ignore the umask.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pixolat)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_PACKAGE_RELEASE ${PIXOLAT_DEB_REVISION})
set(CPACK_DEBIAN_PACKAGE_SOURCE pixolat)
set(CPACK_PACKAGE_CONTACT "${PIXOLAT_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${PIXOLAT_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PIXOLAT_STRIP ${CMAKE_STRIP})
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_SOURCE_DIR}/cmake/strip_notes.cmake)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL convert)
if(TARGET pixolat)
    list(APPEND CPACK_COMPONENTS_ALL editor)
endif()

# Each description is one string: its first line is the summary, the line
# breaks of the rest become the control file's continuation lines (none may
# start with a dot).
set(CPACK_DEBIAN_EDITOR_PACKAGE_NAME pixolat)
set(CPACK_DEBIAN_EDITOR_DESCRIPTION "Pixel graphics editor for the Commodore Plus/4
Pixolat edits hires and multicolor bitmaps, DFLI pictures and character sets
of the Commodore Plus/4 (TED chip). It imports Plus/4 program files (.PRG)
and PC pictures, exports program files, also ones that show themselves on
the machine, and writes pictures as assembler byte directives.")
# Qt draws the editor's texts with whatever fonts there are; a bare system
# has none. The converter comes along where recommends are installed.
set(CPACK_DEBIAN_EDITOR_PACKAGE_RECOMMENDS "fonts-dejavu-core, pixolat-convert (= ${PIXOLAT_DEB_VERSION})")

set(CPACK_DEBIAN_CONVERT_PACKAGE_NAME pixolat-convert)
set(CPACK_DEBIAN_CONVERT_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_CONVERT_DESCRIPTION "Commodore Plus/4 graphics converter for the command line
pixolat-convert does the file conversions of the Pixolat editor without a
window: Plus/4 program files (.PRG), the editor's assembler source text and
PC pictures in; program files, also ones that show themselves on the
machine, source text and PNG or BMP pictures out. It needs no display.")
include(CPack)
