# The 6502 viewers of runnable .PRG exports: assembled with 64tass (Debian
# package 64tass) into byte arrays that the formats code embeds as
# "formats/runnable_viewer_bytes.h" and "formats/dfli_viewer_*_bytes.h".
find_program(TASS_PROGRAM 64tass REQUIRED)
set(VIEWER_DIR ${CMAKE_CURRENT_BINARY_DIR}/generated)

# pixolat_viewer(SOURCE NAME HEADER [64tass definitions...])
function(pixolat_viewer source name header)
    set(prg ${VIEWER_DIR}/${header}.prg)
    set(out ${VIEWER_DIR}/formats/${header}.h)
    set(defines)
    foreach(definition ${ARGN})
        list(APPEND defines -D ${definition})
    endforeach()
    add_custom_command(
        OUTPUT ${out}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${VIEWER_DIR}/formats
        COMMAND ${TASS_PROGRAM} --quiet -Wall -Werror --cbm-prg ${defines}
                --output=${prg} --map=${VIEWER_DIR}/${header}.map ${source}
        COMMAND ${CMAKE_COMMAND} -DINPUT=${prg} -DOUTPUT=${out}
                -DNAME=${name} -P ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/embed_bytes.cmake
        DEPENDS ${source} ${VIEWER_SOURCES}/viewer_common.asm
                ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/embed_bytes.cmake
        COMMENT "Assembling ${header}"
        VERBATIM)
    target_sources(pixolat_formats PRIVATE ${out})
endfunction()

set(VIEWER_SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/src/formats/viewer)
pixolat_viewer(${VIEWER_SOURCES}/runnable_viewer.asm kRunnableViewer runnable_viewer_bytes)
pixolat_viewer(${VIEWER_SOURCES}/dfli_viewer.asm kDfliViewerHires dfli_viewer_hires_bytes
               MULTICOLOR=0)
pixolat_viewer(${VIEWER_SOURCES}/dfli_viewer.asm kDfliViewerMulticolor
               dfli_viewer_multicolor_bytes MULTICOLOR=1)
target_include_directories(pixolat_formats PUBLIC ${VIEWER_DIR})
