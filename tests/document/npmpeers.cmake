# Installs the npm packages the subtitle tests read their files back with
# into PEERS (a folder of the build tree). It never fails: without npm or a
# network the packages are missing and the tests that need them skip.
set(packages ass-compiler@0.1.16 @applemusic-like-lyrics/lyric@1.1.0 @xmldom/xmldom@0.9.12)
if(EXISTS "${PEERS}/node_modules/ass-compiler/package.json" AND
   EXISTS "${PEERS}/node_modules/@applemusic-like-lyrics/lyric/package.json" AND
   EXISTS "${PEERS}/node_modules/@xmldom/xmldom/package.json")
    return()
endif()
find_program(NPM npm)
if(NOT NPM)
    message(STATUS "npm is not installed: the peer readers are left out")
    return()
endif()
file(MAKE_DIRECTORY "${PEERS}")
execute_process(
    COMMAND "${NPM}" install --prefix "${PEERS}" --no-audit --no-fund --loglevel=error ${packages}
    WORKING_DIRECTORY "${PEERS}"
    RESULT_VARIABLE result
    TIMEOUT 240)
if(NOT result EQUAL 0)
    message(STATUS "npm install failed (${result}): the peer readers are left out")
endif()
