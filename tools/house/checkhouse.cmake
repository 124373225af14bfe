# The folders of src/ are layers: a file includes headers of its own folder and
# of folders below it, never above; no two files include each other; and
# nothing in the core library includes a header of the windows' library.
#
#   cmake -DSOURCE_DIR=<repo> -DCORE_SOURCES=<list> -DUI_SOURCES=<list> -P checkhouse.cmake
#
# Exits with an error listing every include that breaks a rule.

# Top to bottom.
set(layers app realtime testdisplay timing cd help widgets document)

function(layer_of folder out)
    list(FIND layers "${folder}" index)
    set(${out} ${index} PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE files RELATIVE "${SOURCE_DIR}/src" "${SOURCE_DIR}/src/*.h" "${SOURCE_DIR}/src/*.cpp")

# Headers that belong to the windows' library alone.
set(ui_headers)
foreach(source IN LISTS UI_SOURCES)
    if(source MATCHES "\\.h$")
        file(RELATIVE_PATH relative "${SOURCE_DIR}/src" "${source}")
        list(APPEND ui_headers "${relative}")
    endif()
endforeach()
set(core_files)
foreach(source IN LISTS CORE_SOURCES)
    file(RELATIVE_PATH relative "${SOURCE_DIR}/src" "${source}")
    list(APPEND core_files "${relative}")
endforeach()
foreach(source IN LISTS core_files)
    list(REMOVE_ITEM ui_headers "${source}")
endforeach()

set(problems)
set(edges)
foreach(file IN LISTS files)
    string(REGEX MATCH "^[^/]+" folder "${file}")
    layer_of("${folder}" mine)
    if(mine LESS 0)
        list(APPEND problems "${file}: its folder ${folder}/ is not one of the layers")
        continue()
    endif()
    file(STRINGS "${SOURCE_DIR}/src/${file}" includes REGEX "^#include \"[a-z_]+/[a-z_0-9]+\\.h\"")
    foreach(line IN LISTS includes)
        string(REGEX REPLACE "^#include \"([a-z_]+/[a-z_0-9]+\\.h)\".*" "\\1" header "${line}")
        string(REGEX MATCH "^[^/]+" theirs_folder "${header}")
        layer_of("${theirs_folder}" theirs)
        if(theirs LESS 0 OR theirs LESS mine)
            list(APPEND problems "${file} includes ${header}: ${theirs_folder}/ is not below ${folder}/")
        endif()
        list(FIND core_files "${file}" in_core)
        list(FIND ui_headers "${header}" is_ui)
        if(in_core GREATER_EQUAL 0 AND is_ui GREATER_EQUAL 0)
            list(APPEND problems "${file} is in the core library and includes ${header}, a window header")
        endif()
        list(APPEND edges "${file}>${header}")
    endforeach()
endforeach()

# Two files that include each other.
foreach(edge IN LISTS edges)
    string(REPLACE ">" ";" pair "${edge}")
    list(GET pair 0 from)
    list(GET pair 1 to)
    if(NOT from STREQUAL to)
        list(FIND edges "${to}>${from}" back)
        if(back GREATER_EQUAL 0 AND from STRLESS to)
            list(APPEND problems "${from} and ${to} include each other")
        endif()
    endif()
endforeach()

list(LENGTH files count)
if(problems)
    list(JOIN problems "\n  " text)
    message(FATAL_ERROR "The house is broken:\n  ${text}")
endif()
message(STATUS "${count} files, every include goes down the layers: ${layers}")
