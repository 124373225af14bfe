# Every C++ file of the tree is laid out as .clang-format has it.
#
#   cmake -DSOURCE_DIR=<repo> -DCLANG_FORMAT=<program> -P checkformat.cmake
#
# Exits with an error naming each file that differs and the command that
# lays it out.

if(NOT CLANG_FORMAT)
    message(FATAL_ERROR "No clang-format to check the layout with")
endif()

set(files)
foreach(folder src tests bench tools fuzz)
    file(GLOB_RECURSE found "${SOURCE_DIR}/${folder}/*.h" "${SOURCE_DIR}/${folder}/*.cpp")
    list(APPEND files ${found})
endforeach()
list(SORT files)

# One run for the whole tree; each place that differs is told on its own
# line, "<file>:<line>:<column>: error: code should be clang-formatted".
execute_process(COMMAND "${CLANG_FORMAT}" --dry-run --Werror "--style=file:${SOURCE_DIR}/.clang-format" ${files}
                RESULT_VARIABLE result OUTPUT_QUIET ERROR_VARIABLE told)
set(differing)
string(REGEX MATCHALL "[^\n]+:[0-9]+:[0-9]+: error: code should be clang-formatted" places "${told}")
foreach(place IN LISTS places)
    string(REGEX REPLACE ":[0-9]+:[0-9]+: error: .*$" "" file "${place}")
    file(RELATIVE_PATH relative "${SOURCE_DIR}" "${file}")
    list(APPEND differing "${relative}")
endforeach()
list(REMOVE_DUPLICATES differing)
if(NOT result EQUAL 0 AND NOT differing)
    message(FATAL_ERROR "clang-format could not check the layout:\n${told}")
endif()

list(LENGTH files count)
if(differing)
    list(JOIN differing "\n  " text)
    message(FATAL_ERROR "Not laid out as .clang-format has it (clang-format -i FILE):\n  ${text}")
endif()
message(STATUS "${count} files laid out as .clang-format has it")
