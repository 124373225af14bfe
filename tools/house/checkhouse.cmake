# The folders of src/ are layers, and each feeds one library:
#   - a file includes headers of its own folder and of folders below it,
#     never above;
#   - every file of a folder belongs to the same library (the core, the audio
#     output or the windows), so the path says which one a file is;
#   - nothing in the core library includes a header of the windows' library;
#   - no two units use each other (a unit is a .h with its .cpp);
#   - only the main window's own tests (tests/app/) start a main window: a
#     test of anything else stands on that thing alone.
#
#   cmake -DSOURCE_DIR=<repo> -DCORE_SOURCES=<list> -DAUDIO_SOURCES=<list>
#         -DUI_SOURCES=<list> -P checkhouse.cmake
#
# Exits with an error listing everything that breaks a rule.

# Top to bottom: the windows, the audio output, the core.
set(layers app realtime testdisplay timing cd help widgets audiosink shell workfiles session settings audio document)

function(layer_of folder out)
    list(FIND layers "${folder}" index)
    set(${out} ${index} PARENT_SCOPE)
endfunction()

function(relative_sources list out)
    set(result)
    foreach(source IN LISTS ${list})
        file(RELATIVE_PATH relative "${SOURCE_DIR}/src" "${source}")
        list(APPEND result "${relative}")
    endforeach()
    set(${out} ${result} PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE files RELATIVE "${SOURCE_DIR}/src" "${SOURCE_DIR}/src/*.h" "${SOURCE_DIR}/src/*.cpp")
relative_sources(CORE_SOURCES core_files)
relative_sources(AUDIO_SOURCES audio_files)
relative_sources(UI_SOURCES ui_files)

set(problems)

# The library of every file, and of every folder.
set(folder_libraries)
foreach(file IN LISTS files)
    set(library)
    foreach(candidate core audio ui)
        list(FIND ${candidate}_files "${file}" found)
        if(found GREATER_EQUAL 0)
            list(APPEND library ${candidate})
        endif()
    endforeach()
    list(LENGTH library count)
    if(count EQUAL 0)
        continue() # the executable's main()
    endif()
    if(count GREATER 1)
        list(APPEND problems "${file} is in more than one library: ${library}")
        continue()
    endif()
    string(REGEX MATCH "^[^/]+" folder "${file}")
    set(seen "${library_of_${folder}}")
    if(seen STREQUAL "")
        set(library_of_${folder} ${library})
        list(APPEND folder_libraries ${folder})
    elseif(NOT seen STREQUAL library)
        list(APPEND problems "${folder}/ feeds two libraries: ${file} is ${library}, other files ${seen}")
    endif()
    set(library_of_${file} ${library})
endforeach()

set(edges)
foreach(file IN LISTS files)
    string(REGEX MATCH "^[^/]+" folder "${file}")
    layer_of("${folder}" mine)
    if(mine LESS 0)
        list(APPEND problems "${file}: its folder ${folder}/ is not one of the layers")
        continue()
    endif()
    string(REGEX REPLACE "\\.(h|cpp)$" "" unit "${file}")
    file(STRINGS "${SOURCE_DIR}/src/${file}" includes REGEX "^#include \"[a-z_]+/[a-z_0-9]+\\.h\"")
    foreach(line IN LISTS includes)
        string(REGEX REPLACE "^#include \"([a-z_]+/[a-z_0-9]+\\.h)\".*" "\\1" header "${line}")
        string(REGEX MATCH "^[^/]+" theirs_folder "${header}")
        layer_of("${theirs_folder}" theirs)
        if(theirs LESS 0 OR theirs LESS mine)
            list(APPEND problems "${file} includes ${header}: ${theirs_folder}/ is not below ${folder}/")
        endif()
        if("${library_of_${file}}" STREQUAL "core" AND "${library_of_${header}}" STREQUAL "ui")
            list(APPEND problems "${file} is in the core library and includes ${header}, a window header")
        endif()
        string(REGEX REPLACE "\\.h$" "" used "${header}")
        if(NOT used STREQUAL unit)
            list(APPEND edges "${unit}>${used}")
        endif()
    endforeach()
endforeach()
list(REMOVE_DUPLICATES edges)

# Two units that use each other.
foreach(edge IN LISTS edges)
    string(REPLACE ">" ";" pair "${edge}")
    list(GET pair 0 from)
    list(GET pair 1 to)
    list(FIND edges "${to}>${from}" back)
    if(back GREATER_EQUAL 0 AND from STRLESS to)
        list(APPEND problems "${from} and ${to} use each other")
    endif()
endforeach()

# Tests that start a main window, outside the main window's own.
file(GLOB_RECURSE tests RELATIVE "${SOURCE_DIR}/tests" "${SOURCE_DIR}/tests/*.cpp" "${SOURCE_DIR}/tests/*.h")
foreach(test IN LISTS tests)
    if(test MATCHES "^app/")
        continue()
    endif()
    file(STRINGS "${SOURCE_DIR}/tests/${test}" starts REGEX "#include \"app/(mainwindow|program)\\.h\"")
    if(starts)
        list(APPEND problems "tests/${test} starts a main window: only tests/app/ may")
    endif()
endforeach()

list(LENGTH files count)
if(problems)
    list(JOIN problems "\n  " text)
    message(FATAL_ERROR "The house is broken:\n  ${text}")
endif()
set(summary)
foreach(folder IN LISTS layers)
    if(DEFINED library_of_${folder})
        list(APPEND summary "${folder} (${library_of_${folder}})")
    endif()
endforeach()
list(JOIN summary ", " summary)
message(STATUS "${count} files, every include goes down the layers, each folder feeds one library: ${summary}")
