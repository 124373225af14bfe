# Checks the files that tell the desktop and dpkg about Verselet, as the
# package holds them: the .desktop entry, the AppStream metadata, the LRC file
# type, the manual page and the changelog. Every complaint is printed before
# the check fails.
#
#   cmake -DDATA_DIR=<folder with the five files> -DVERSION=<package version>
#         -DSCRATCH=<empty folder to work in> -P checkmetadata.cmake

cmake_minimum_required(VERSION 3.25)

foreach(var DATA_DIR VERSION SCRATCH)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "checkmetadata.cmake needs -D${var}=...")
    endif()
endforeach()

set(complaints "")
macro(complain text)
    string(APPEND complaints "${text}\n")
endmacro()

# Runs a tool; its exit code and its output (standard output and error
# together) in <prefix>_rc and <prefix>_out.
function(run_tool prefix)
    execute_process(COMMAND ${ARGN}
        RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
    string(STRIP "${out}" out)
    set(${prefix}_rc "${rc}" PARENT_SCOPE)
    set(${prefix}_out "${out}" PARENT_SCOPE)
endfunction()

# Whether a text file holds a line that is exactly `line` (lines may hold
# semicolons, so they are looked for in the text, not in a CMake list).
function(has_line file line out)
    set(found FALSE)
    if(EXISTS ${file})
        file(READ ${file} text)
        string(FIND "\n${text}\n" "\n${line}\n" at)
        if(at GREATER -1)
            set(found TRUE)
        endif()
    endif()
    set(${out} ${found} PARENT_SCOPE)
endfunction()

# --- The desktop entry: valid without a warning or a hint, started with the
# file to open, and offered for plain texts and LRC files.
set(desktop ${DATA_DIR}/verselet.desktop)
find_program(DESKTOP_FILE_VALIDATE desktop-file-validate REQUIRED)
run_tool(validate ${DESKTOP_FILE_VALIDATE} ${desktop})
if(NOT validate_rc EQUAL 0 OR NOT validate_out STREQUAL "")
    complain("desktop-file-validate (exit ${validate_rc}): ${validate_out}")
endif()
foreach(line "Exec=verselet %f" "MimeType=text/plain;application/x-lrc;" "Icon=verselet")
    has_line(${desktop} "${line}" found)
    if(NOT found)
        complain("verselet.desktop lacks the line \"${line}\"")
    endif()
endforeach()

# --- The AppStream metadata: valid without an error, a warning or a note
# (the id keeps its capitals, which only the pedantic check minds), with a
# release of this version and the LRC type among what it provides.
set(metainfo ${DATA_DIR}/verselet.metainfo.xml)
find_program(APPSTREAMCLI appstreamcli REQUIRED)
run_tool(appstream ${APPSTREAMCLI} validate --no-net ${metainfo})
string(REGEX MATCHALL "(^|\n)[EWI]: [^\n]*" appstream_notes "${appstream_out}")
if(NOT appstream_rc EQUAL 0 OR appstream_notes)
    complain("appstreamcli validate (exit ${appstream_rc}): ${appstream_out}")
endif()
file(READ ${metainfo} metainfo_text)
string(REGEX MATCH "<release version=\"([^\"]*)\"" release "${metainfo_text}")
if(NOT CMAKE_MATCH_1 STREQUAL VERSION)
    complain("verselet.metainfo.xml: the newest release is \"${CMAKE_MATCH_1}\", the package's version ${VERSION}")
endif()
if(NOT metainfo_text MATCHES "<id>org\\.verselet\\.Verselet</id>")
    complain("verselet.metainfo.xml: the id is not org.verselet.Verselet")
endif()
if(NOT metainfo_text MATCHES "<mediatype>application/x-lrc</mediatype>")
    complain("verselet.metainfo.xml does not provide the media type application/x-lrc")
endif()

# --- The LRC file type, compiled by update-mime-database into a scratch
# data folder (inside XDG_DATA_HOME, so that the tool has nothing to say
# about where it is).
set(mime ${SCRATCH}/share/mime)
file(REMOVE_RECURSE ${SCRATCH}/share)
file(MAKE_DIRECTORY ${mime}/packages)
file(COPY ${DATA_DIR}/verselet-lrc.xml DESTINATION ${mime}/packages)
find_program(UPDATE_MIME_DATABASE update-mime-database REQUIRED)
run_tool(mime ${CMAKE_COMMAND} -E env XDG_DATA_HOME=${SCRATCH}/share
    ${UPDATE_MIME_DATABASE} ${mime})
if(NOT mime_rc EQUAL 0 OR NOT mime_out STREQUAL "")
    complain("update-mime-database (exit ${mime_rc}): ${mime_out}")
endif()
set(expected_mime
    "globs2|50:application/x-lrc:*.lrc"
    "subclasses|application/x-lrc text/plain"
    "application/x-lrc.xml|  <comment>LRC lyrics</comment>"
    "application/x-lrc.xml|  <comment xml:lang=\"ja\">LRC 歌詞</comment>")
foreach(entry IN LISTS expected_mime)
    string(REPLACE "|" ";" entry "${entry}")
    list(GET entry 0 file)
    list(GET entry 1 line)
    has_line(${mime}/${file} "${line}" found)
    if(NOT found)
        complain("update-mime-database made no line \"${line}\" in ${file}")
    endif()
endforeach()

# --- The manual page: groff has no warning about it, and it names the version.
set(manual ${DATA_DIR}/verselet.1)
find_program(GROFF groff REQUIRED)
run_tool(groff ${GROFF} -man -ww -z -K utf8 -T utf8 ${manual})
if(NOT groff_rc EQUAL 0 OR NOT groff_out STREQUAL "")
    complain("groff (exit ${groff_rc}): ${groff_out}")
endif()
file(STRINGS ${manual} title REGEX "^\\.TH ")
string(REPLACE "." "\\." version_pattern "${VERSION}")
if(NOT title MATCHES "\"Verselet ${version_pattern}\"")
    complain("verselet.1: the title line \"${title}\" does not name Verselet ${VERSION}")
endif()

# --- The changelog: dpkg reads it, and its newest entry is this version.
find_program(DPKG_PARSECHANGELOG dpkg-parsechangelog REQUIRED)
run_tool(changelog ${DPKG_PARSECHANGELOG} -l ${DATA_DIR}/changelog -S Version)
if(NOT changelog_rc EQUAL 0 OR NOT changelog_out STREQUAL VERSION)
    complain("changelog: the newest entry is \"${changelog_out}\", the package's version ${VERSION}")
endif()

# The complaints as they are, not wrapped: a test reads them.
if(complaints)
    message(NOTICE "${complaints}")
    message(FATAL_ERROR "The metadata files are not valid")
endif()
message(STATUS "verselet.desktop, verselet.metainfo.xml, verselet-lrc.xml, verselet.1 and changelog are valid")
