# Checks every #include of one layer against the table in src/README.md, so
# that an include reaching the wrong way fails the build even when it compiles
# (all layers share the src include root, so a header-only reach would).
#   cmake -DLAYER=render -DROOT=<repository> -P tools/check_includes.cmake
# A layer's files may include the standard library, their own folder and what
# the "may use" column names (a folder such as `document` or a file such as
# `platform/platform.h`); no layer but app may include a Qt header.
cmake_minimum_required(VERSION 3.25)

if(NOT LAYER OR NOT ROOT)
    message(FATAL_ERROR "usage: cmake -DLAYER=<folder under src> -DROOT=<repository> -P check_includes.cmake")
endif()

# The layer's row: | `layer` | holds | may use |
file(STRINGS "${ROOT}/src/README.md" rows REGEX "^\\| `${LAYER}` \\|")
list(LENGTH rows found)
if(NOT found EQUAL 1)
    message(FATAL_ERROR "src/README.md has no row for the layer `${LAYER}`: add one to its table")
endif()
string(REGEX MATCH "\\|([^|]*)\\|[ \t]*$" lastCell "${rows}")
set(mayUse "${CMAKE_MATCH_1}")
string(STRIP "${mayUse}" mayUseText)
if(mayUseText STREQUAL "everything")
    return()
endif()
string(REGEX MATCHALL "`[^`]+`" allowed "${mayUse}")
string(REPLACE "`" "" allowed "${allowed}")
list(APPEND allowed "${LAYER}")

file(GLOB_RECURSE files "${ROOT}/src/${LAYER}/*.h" "${ROOT}/src/${LAYER}/*.cpp")
set(faults "")
foreach(file IN LISTS files)
    file(RELATIVE_PATH name "${ROOT}" "${file}")
    file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include")
    foreach(line IN LISTS lines)
        if(line MATCHES "<(Q[^>]*)>")
            string(APPEND faults "${name}: #include <${CMAKE_MATCH_1}>: `${LAYER}` never includes Qt (src/README.md)\n")
        elseif(line MATCHES "\"([^\"]+)\"")
            set(target "${CMAKE_MATCH_1}")
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
                string(APPEND faults "${name}: #include \"${target}\": `${LAYER}` may use only ${mayUseText} (src/README.md)\n")
            endif()
        endif()
    endforeach()
endforeach()

if(faults)
    message(FATAL_ERROR "Includes that reach the wrong way:\n${faults}")
endif()
