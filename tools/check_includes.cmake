# Checks every #include of one layer against the table in src/README.md, so
# that an include reaching the wrong way fails the build with the rule named
# (the layer's include root would refuse it too, with a less helpful error).
#   cmake -DLAYER=render -DROOT=<repository> -P tools/check_includes.cmake
# A layer's files may include the standard library, their own folder and what
# the "may use" column names (a folder such as `document` or a file such as
# `platform/platform.h`), whether written "..." or <...>; no layer but app
# may include a Qt header.
cmake_minimum_required(VERSION 3.25)

if(NOT LAYER OR NOT ROOT)
    message(FATAL_ERROR "usage: cmake -DLAYER=<folder under src> -DROOT=<repository> -P check_includes.cmake")
endif()
include(${CMAKE_CURRENT_LIST_DIR}/../cmake/layer_table.cmake)

pixolat_layer_uses("${ROOT}" "${LAYER}" allowed)
if(allowed STREQUAL "everything")
    return()
endif()
set(mayUseText "${allowed_TEXT}")
list(APPEND allowed "${LAYER}")
pixolat_layers("${ROOT}" layers)

file(GLOB_RECURSE files "${ROOT}/src/${LAYER}/*.h" "${ROOT}/src/${LAYER}/*.cpp")
set(faults "")
foreach(file IN LISTS files)
    file(RELATIVE_PATH name "${ROOT}" "${file}")
    file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include")
    foreach(line IN LISTS lines)
        set(target "")
        if(line MATCHES "<(Q[^>]*)>")
            string(APPEND faults "${name}: #include <${CMAKE_MATCH_1}>: `${LAYER}` never includes Qt (src/README.md)\n")
        elseif(line MATCHES "\"([^\"]+)\"")
            set(target "${CMAKE_MATCH_1}")
            set(written "\"${target}\"")
        elseif(line MATCHES "<(([^/>]+)/[^>]*)>")
            # <document/...> is ours as much as "document/..."; <sys/stat.h> is not.
            if(CMAKE_MATCH_2 IN_LIST layers)
                set(target "${CMAKE_MATCH_1}")
                set(written "<${target}>")
            endif()
        endif()
        if(target)
            # An allowed entry is a file or a folder: the target or one of
            # the folders it lies in must be listed.
            set(ok FALSE)
            foreach(entry IN LISTS allowed)
                string(FIND "${target}/" "${entry}/" at)
                if(at EQUAL 0)
                    set(ok TRUE)
                endif()
            endforeach()
            if(NOT ok)
                string(APPEND faults "${name}: #include ${written}: `${LAYER}` may use only ${mayUseText} (src/README.md)\n")
            endif()
        endif()
    endforeach()
endforeach()

if(faults)
    message(FATAL_ERROR "Includes that reach the wrong way:\n${faults}")
endif()
