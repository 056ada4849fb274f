# Writes the bytes of INPUT as a C++ array NAME in the header OUTPUT.
# usage: cmake -DINPUT=file -DOUTPUT=header.h -DNAME=kName -P embed_bytes.cmake
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" digits)
if(digits EQUAL 0)
    message(FATAL_ERROR "${INPUT} is empty")
endif()
# Sixteen bytes a line keeps the header readable in a diff.
set(bytes "")
foreach(start RANGE 0 ${digits} 32)
    string(SUBSTRING "${hex}" ${start} 32 line)
    if(line)
        string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1, " line "${line}")
        string(STRIP "${line}" line)
        string(APPEND bytes "    ${line}\n")
    endif()
endforeach()
get_filename_component(source "${INPUT}" NAME)
file(WRITE "${OUTPUT}.tmp"
"// Generated from ${source} at build time; do not edit.
#pragma once
#include <cstdint>

namespace pixolat {

inline constexpr uint8_t ${NAME}[] = {
${bytes}};

}  // namespace pixolat
")
# Only a changed header makes its users compile again.
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
