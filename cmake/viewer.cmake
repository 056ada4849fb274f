# The 6502 viewer of runnable .PRG exports: assembled with 64tass (Debian
# package 64tass) into a byte array that the formats code embeds as
# "formats/runnable_viewer_bytes.h".
find_program(TASS_PROGRAM 64tass REQUIRED)
set(VIEWER_SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/src/formats/viewer/runnable_viewer.asm)
set(VIEWER_DIR ${CMAKE_CURRENT_BINARY_DIR}/generated)
set(VIEWER_PRG ${VIEWER_DIR}/runnable_viewer.prg)
set(VIEWER_HEADER ${VIEWER_DIR}/formats/runnable_viewer_bytes.h)
add_custom_command(
    OUTPUT ${VIEWER_HEADER}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${VIEWER_DIR}/formats
    COMMAND ${TASS_PROGRAM} --quiet -Wall -Werror --cbm-prg
            --output=${VIEWER_PRG} --map=${VIEWER_DIR}/runnable_viewer.map ${VIEWER_SOURCE}
    COMMAND ${CMAKE_COMMAND} -DINPUT=${VIEWER_PRG} -DOUTPUT=${VIEWER_HEADER}
            -DNAME=kRunnableViewer -P ${CMAKE_CURRENT_LIST_DIR}/embed_bytes.cmake
    DEPENDS ${VIEWER_SOURCE} ${CMAKE_CURRENT_LIST_DIR}/embed_bytes.cmake
    COMMENT "Assembling the runnable .PRG viewer"
    VERBATIM)
target_sources(pixolat_formats PRIVATE ${VIEWER_HEADER})
target_include_directories(pixolat_formats PUBLIC ${VIEWER_DIR})
