# The folders of src/ are layers, and each feeds one library:
#   - a file includes headers of its own folder and of folders below it,
#     never above;
#   - every file of a folder belongs to the same library (the core, the audio
#     output or the windows), so the path says which one a file is;
#   - nothing in the core library includes a header of the windows' library;
#   - the timing window includes nothing of settings/: its run loads and
#     keeps what it needs;
#   - no units use each other, two or more in a circle (a unit is a .h with
#     its .cpp);
#   - only the main window's own tests (tests/app/) start a main window: a
#     test of anything else stands on that thing alone;
#   - no class or struct declares more than 20 public functions
#     (constructors, destructors, operators, deleted functions, friends and
#     signals aside; a nested class counts on its own).
#
#   cmake -DSOURCE_DIR=<repo> -DCORE_SOURCES=<list> -DAUDIO_SOURCES=<list>
#         -DUI_SOURCES=<list> -P checkhouse.cmake
#
# Exits with an error listing everything that breaks a rule.

cmake_policy(VERSION 3.25)

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
        if(folder STREQUAL "timing" AND theirs_folder STREQUAL "settings")
            list(APPEND problems "${file} includes ${header}: the timing window reads its run, which loads and keeps the settings")
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

# Units that use each other, in a circle of any length: each circle is told
# once, from the first of its units in name order, the shortest way round.
set(units)
foreach(edge IN LISTS edges)
    string(REPLACE ">" ";" pair "${edge}")
    list(GET pair 0 from)
    list(GET pair 1 to)
    list(APPEND uses_${from} "${to}")
    list(APPEND units "${from}")
endforeach()
list(REMOVE_DUPLICATES units)
list(SORT units)
foreach(start IN LISTS units)
    # Breadth first from what `start` uses, over units after it in name
    # order only: a circle through an earlier unit is told from that one.
    set(queue ${uses_${start}})
    set(reached)
    foreach(next IN LISTS queue)
        set(via_${next} "${start}")
        list(APPEND reached "${next}")
    endforeach()
    set(closing)
    while(queue AND NOT closing)
        list(POP_FRONT queue unit)
        if(unit STREQUAL start)
            set(closing "${via_${unit}}")
            break()
        endif()
        if(unit STRLESS start)
            continue()
        endif()
        foreach(next IN LISTS uses_${unit})
            if(NOT DEFINED via_${next})
                set(via_${next} "${unit}")
                list(APPEND reached "${next}")
                list(APPEND queue "${next}")
            elseif(next STREQUAL start AND NOT closing)
                set(closing "${unit}")
            endif()
        endforeach()
    endwhile()
    if(closing)
        set(circle "${start}")
        set(unit "${closing}")
        while(NOT unit STREQUAL start)
            list(INSERT circle 1 "${unit}")
            set(unit "${via_${unit}}")
        endwhile()
        list(APPEND circle "${start}")
        list(JOIN circle " > " text)
        list(APPEND problems "units use each other in a circle: ${text}")
    endif()
    foreach(unit IN LISTS reached)
        unset(via_${unit})
    endforeach()
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

# Classes and structs that declare more than 20 public functions
# (constructors, destructors, operators, deleted functions, friends and
# signals aside; a nested class counts on its own). A file is read as a
# compiler's first pass would: comments, texts and preprocessor lines go,
# and what is left is a stream of braces, semicolons and access labels. Each
# statement at a class's own level, up to its ";" or to the body of a
# function defined in place, is judged by its shape, however many lines it
# wraps over.
set(most_public_functions 20)
string(ASCII 1 semi)   # the source's ";", which a CMake list would split on
string(ASCII 2 label)  # starts an access label: public, private or signals
string(ASCII 3 group)  # a parenthesised group, its contents gone
string(ASCII 4 scope)  # the source's "::", so that ":" is a label's or a base's
string(ASCII 5 open)   # the source's "[" and "]", which a CMake list would
string(ASCII 6 close)  # pair up across its elements
set(word "A-Za-z0-9_${scope}~")

# What a statement of a class or namespace is. Sets `shape` (class, enum,
# namespace, operator, function, open for one whose "(" is not closed yet,
# or other), `shape_name` (a class's or a function's), `shape_type` (the
# class's keyword, or the words before a function's name), `shape_body`
# (whether a "{" after the statement opens a function's body) and
# `shape_text` (the statement on one line, its template arguments gone and
# each parenthesised group one character).
function(read_statement text)
    string(REGEX REPLACE "[ \t\r\n]+" " " s " ${text} ")
    # Template arguments and parameter lists, innermost first.
    while(s MATCHES "<[^<>]*>")
        string(REGEX REPLACE "<[^<>]*>" "" s "${s}")
    endwhile()
    while(s MATCHES "\\(")
        string(REGEX REPLACE "\\([^()]*\\)" "${group}" collapsed "${s}")
        if(collapsed STREQUAL s)
            break() # a "(" still open: a "{" here is inside it
        endif()
        set(s "${collapsed}")
    endwhile()
    string(REGEX REPLACE " (alignas|__attribute__) ?${group}" " " s "${s}")
    string(REGEX REPLACE " decltype ?${group}" " decltype" s "${s}")
    string(REGEX REPLACE " template " " " s "${s}")
    set(shape other)
    set(name)
    set(type)
    set(tail)
    if(s MATCHES "[(]")
        set(shape open)
    elseif(s MATCHES "[^${word}]enum ")
        set(shape enum)
    elseif(s MATCHES "[^${word}](class|struct|union) ?([A-Za-z_][${word}]*)?( final)? ?(:.*)?$")
        set(shape class)
        set(name "${CMAKE_MATCH_2}")
        set(type "${CMAKE_MATCH_1}")
    elseif(s MATCHES "^ ((inline )?namespace|extern \"\")( |$)")
        set(shape namespace)
    elseif(s MATCHES "[^${word}]operator[^${word}]")
        set(shape operator)
        string(REGEX REPLACE ".*[^${word}]operator ?(${group} ?)?[^${group}]*${group}?" "" tail "${s}")
    elseif(s MATCHES "^([^${group}={}]*[^${word}${group}={}])([A-Za-z_~][${word}]*) ?${group}(.*)$")
        set(shape function)
        set(name "${CMAKE_MATCH_2}")
        set(tail "${CMAKE_MATCH_3}")
        string(REGEX MATCHALL "[A-Za-z_][${word}]*" type "${CMAKE_MATCH_1}")
        # A pointer or reference declarator, not a parameter list.
        if(text MATCHES "^[^(]*\\([ \t\r\n]*[*&]")
            set(shape other)
        endif()
    endif()
    # A function's body follows its parameters and qualifiers, or the last
    # member of a constructor's initialiser list.
    set(body FALSE)
    if(shape MATCHES "^(function|operator)$"
       AND (tail MATCHES "^( |const|volatile|noexcept|override|final|mutable|&|${group})*$"
            OR tail MATCHES "->"
            OR tail MATCHES "^( |noexcept|${group})*:.*[${group}}] $"))
        set(body TRUE)
    endif()
    set(shape "${shape}" PARENT_SCOPE)
    set(shape_name "${name}" PARENT_SCOPE)
    set(shape_type "${type}" PARENT_SCOPE)
    set(shape_body ${body} PARENT_SCOPE)
    set(shape_text "${s}" PARENT_SCOPE)
endfunction()

# Counts one statement of the class at `depth` when it declares a public
# member function other than a constructor, a destructor, an operator, a
# deleted one or a friend.
function(judge_statement text)
    if(NOT access_${depth} STREQUAL "public" OR text MATCHES "^[ \t\r\n]*$")
        return()
    endif()
    read_statement("${text}")
    if(NOT shape STREQUAL "function" OR shape_text MATCHES "= ?delete $")
        return()
    endif()
    foreach(excluded friend using typedef)
        if(excluded IN_LIST shape_type)
            return()
        endif()
    endforeach()
    # A return type, beyond the specifiers: a name alone before its
    # parameters is a constructor or a macro.
    list(REMOVE_ITEM shape_type static inline virtual constexpr consteval explicit extern)
    string(REPLACE "${scope}" ";" parts "${shape_name}")
    list(POP_BACK parts last)
    if(NOT "${shape_type}" STREQUAL "" AND NOT last STREQUAL "${name_${depth}}" AND NOT last MATCHES "^~")
        math(EXPR count "${count_${depth}} + 1")
        set(count_${depth} ${count} PARENT_SCOPE)
    endif()
endfunction()

foreach(source IN LISTS files)
    file(READ "${SOURCE_DIR}/src/${source}" text)
    # Raw texts first: theirs may hold quotes, backslashes and braces.
    while(text MATCHES "(^|[^A-Za-z0-9_])(u8|u|U|L)?R\"([^ ()\\\t\n\"]*)\\(")
        string(FIND "${text}" "${CMAKE_MATCH_0}" at)
        string(LENGTH "${CMAKE_MATCH_0}" opening)
        math(EXPR inside "${at} + ${opening}")
        string(SUBSTRING "${text}" 0 ${at} before)
        string(SUBSTRING "${text}" ${inside} -1 after)
        set(closing ")${CMAKE_MATCH_3}\"")
        string(FIND "${after}" "${closing}" end)
        if(end LESS 0)
            break()
        endif()
        string(LENGTH "${closing}" length)
        math(EXPR end "${end} + ${length}")
        string(SUBSTRING "${after}" ${end} -1 after)
        set(text "${before}${CMAKE_MATCH_1}\"\"${after}")
    endwhile()
    string(REPLACE ";" "${semi}" text "${text}")
    string(REPLACE "[" "${open}" text "${text}")
    string(REPLACE "]" "${close}" text "${text}")
    string(REGEX REPLACE "\\\\." "_" text "${text}")
    # Comments and texts, each found from where the last one ended.
    string(REGEX MATCHALL "\"[^\"\n]*\"|'[^'\n]*'|//[^\n]*|/\\*([^*]|\\*+[^*/])*\\*+/|[^\"'/]+|." pieces "${text}")
    list(TRANSFORM pieces REPLACE "^/[/*].*" " ")
    list(TRANSFORM pieces REPLACE "^[\"'].+" "\"\"")
    list(JOIN pieces "" text)
    string(REGEX REPLACE "(^|\n)[ \t]*#[^\n]*" "\n" text "${text}")
    string(REGEX REPLACE "${open}${open}[^${close}]*${close}${close}" " " text "${text}")
    string(REGEX REPLACE "[${open}${close}]" " " text "${text}")
    string(REPLACE "::" "${scope}" text "${text}")
    string(REGEX REPLACE "([^A-Za-z0-9_])(public|protected|private)([ \t]+(Q_SLOTS|slots))?[ \t]*:"
           "\\1${label}\\2 " text "${text}")
    string(REGEX REPLACE "([^A-Za-z0-9_])(Q_SIGNALS|signals)[ \t]*:" "\\1${label}signals " text "${text}")
    # Qt's macros, with their arguments: Q_OBJECT, Q_PROPERTY(…), Q_INVOKABLE.
    string(REGEX REPLACE "([^A-Za-z0-9_])Q_[A-Z0-9_]+[ \t\r\n]*(\\(([^()]|\\([^()]*\\))*\\))?" "\\1 " text "${text}")
    string(REGEX MATCHALL "[{}${semi}]|${label}[a-z]+|[^{}${semi}${label}]+" tokens "${text}")

    # One frame for each namespace or class open around the token; inside a
    # function's body, an enum or an initialiser only the braces are
    # followed, to find its end.
    set(depth 0)
    set(kind_0 namespace)
    set(statement_0)
    set(skipped 0)
    foreach(token IN LISTS tokens)
        if(skipped GREATER 0)
            if(token STREQUAL "{")
                math(EXPR skipped "${skipped} + 1")
            elseif(token STREQUAL "}")
                math(EXPR skipped "${skipped} - 1")
                if(skipped EQUAL 0 AND skipped_body)
                    if(kind_${depth} STREQUAL "class")
                        judge_statement("${statement_${depth}}")
                    endif()
                    set(statement_${depth})
                elseif(skipped EQUAL 0)
                    string(APPEND statement_${depth} "{}")
                endif()
            endif()
        elseif(token STREQUAL semi)
            if(kind_${depth} STREQUAL "class")
                judge_statement("${statement_${depth}}")
            endif()
            set(statement_${depth})
        elseif(token STREQUAL "{")
            read_statement("${statement_${depth}}")
            set(outer ${depth})
            if(shape STREQUAL "class")
                math(EXPR depth "${depth} + 1")
                set(kind_${depth} class)
                # Its constructors have the last part of its name.
                string(REPLACE "${scope}" ";" parts "${shape_name}")
                list(POP_BACK parts name_${depth})
                set(full_${depth} "${shape_name}")
                if(kind_${outer} STREQUAL "class")
                    set(full_${depth} "${full_${outer}}::${shape_name}")
                endif()
                string(REPLACE "${scope}" "::" full_${depth} "${full_${depth}}")
                set(type_${depth} "${shape_type}")
                set(access_${depth} private)
                if(NOT shape_type STREQUAL "class")
                    set(access_${depth} public)
                endif()
                set(count_${depth} 0)
                set(statement_${depth})
            elseif(shape STREQUAL "namespace")
                math(EXPR depth "${depth} + 1")
                set(kind_${depth} namespace)
                set(statement_${depth})
            else()
                set(skipped 1)
                set(skipped_body ${shape_body})
            endif()
        elseif(token STREQUAL "}")
            if(depth EQUAL 0)
                continue()
            endif()
            if(kind_${depth} STREQUAL "class" AND count_${depth} GREATER most_public_functions)
                list(APPEND problems "src/${source}: ${type_${depth}} ${full_${depth}} has ${count_${depth}} public functions (at most ${most_public_functions})")
            endif()
            math(EXPR depth "${depth} - 1")
            set(statement_${depth})
        elseif(token MATCHES "^${label}")
            string(SUBSTRING "${token}" 1 -1 access_${depth})
            set(statement_${depth})
        else()
            string(APPEND statement_${depth} "${token}")
        endif()
    endforeach()
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
