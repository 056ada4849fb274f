# Reads src/README.md's layer table: the one place that says which layer may
# use which. Shared by the include check and the per-layer include roots.

# The folders and files `layer` may include besides its own folder, or
# "everything"; the cell's text in <out>_TEXT. Fails when the table has no
# row for the layer.
function(pixolat_layer_uses root layer out)
    file(STRINGS "${root}/src/README.md" rows REGEX "^\\| `${layer}` \\|")
    list(LENGTH rows found)
    if(NOT found EQUAL 1)
        message(FATAL_ERROR "src/README.md has no row for the layer `${layer}`: add one to its table")
    endif()
    string(REGEX MATCH "\\|([^|]*)\\|[ \t]*$" lastCell "${rows}")
    string(STRIP "${CMAKE_MATCH_1}" mayUse)
    set(${out}_TEXT "${mayUse}" PARENT_SCOPE)
    if(mayUse STREQUAL "everything")
        set(${out} everything PARENT_SCOPE)
        return()
    endif()
    string(REGEX MATCHALL "`[^`]+`" allowed "${mayUse}")
    string(REPLACE "`" "" allowed "${allowed}")
    set(${out} ${allowed} PARENT_SCOPE)
endfunction()

# Every layer the table names: an include of `<name/...>` is one of ours.
function(pixolat_layers root out)
    file(STRINGS "${root}/src/README.md" rows REGEX "^\\| `[a-z_]+` \\|")
    set(layers "")
    foreach(row IN LISTS rows)
        string(REGEX MATCH "^\\| `([a-z_]+)`" name "${row}")
        list(APPEND layers "${CMAKE_MATCH_1}")
    endforeach()
    set(${out} ${layers} PARENT_SCOPE)
endfunction()

# Gives `target` an include root of its own in the build folder that holds
# only what `layer` may use (links into src), so an include reaching the
# wrong way does not compile, whether written "..." or <...>. Layers above
# see it too, which is right: a layer may use what the layers it uses do.
function(pixolat_include_root target layer)
    pixolat_layer_uses("${PROJECT_SOURCE_DIR}" "${layer}" allowed)
    if(allowed STREQUAL "everything")
        target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
        return()
    endif()
    set(root ${PROJECT_BINARY_DIR}/include_roots/${layer})
    file(REMOVE_RECURSE ${root})
    foreach(entry IN LISTS allowed ITEMS ${layer})
        get_filename_component(parent ${root}/${entry} DIRECTORY)
        file(MAKE_DIRECTORY ${parent})
        file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${entry} ${root}/${entry} SYMBOLIC)
    endforeach()
    target_include_directories(${target} PUBLIC ${root})
endfunction()
