# Manual pages, compressed as Debian keeps them. pixolat-convert's synopsis
# and options come from its option table (tools/convert_man_page.cpp), the
# same rows its --help prints, so the page cannot fall behind the program.
find_program(GZIP_PROGRAM gzip REQUIRED)
add_executable(pixolat_convert_man tools/convert_man_page.cpp)
target_link_libraries(pixolat_convert_man PRIVATE pixolat_converter)

set(PIXOLAT_MAN_PAGES "")
foreach(page pixolat.1 pixolat-convert.1)
    if(page STREQUAL "pixolat.1" AND NOT TARGET pixolat)
        continue()
    endif()
    set(page_file ${CMAKE_CURRENT_BINARY_DIR}/man/${page})
    configure_file(${PIXOLAT_DATA}/man/${page}.in ${page_file}.in @ONLY)
    if(page STREQUAL "pixolat-convert.1")
        add_custom_command(
            OUTPUT ${page_file}
            COMMAND pixolat_convert_man ${page_file}.in ${page_file}
            DEPENDS pixolat_convert_man ${page_file}.in
            VERBATIM)
        set(component convert)
    else()
        add_custom_command(
            OUTPUT ${page_file}
            COMMAND ${CMAKE_COMMAND} -E copy ${page_file}.in ${page_file}
            DEPENDS ${page_file}.in
            VERBATIM)
        set(component editor)
    endif()
    add_custom_command(
        OUTPUT ${page_file}.gz
        COMMAND ${GZIP_PROGRAM} -9 -n -f -k ${page_file}
        DEPENDS ${page_file}
        VERBATIM)
    list(APPEND PIXOLAT_MAN_PAGES ${page_file}.gz)
    install(FILES ${page_file}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT ${component})
endforeach()
add_custom_target(pixolat_man_pages ALL DEPENDS ${PIXOLAT_MAN_PAGES})
