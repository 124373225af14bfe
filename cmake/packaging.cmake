# The Debian package, made by CPack's DEB generator from what `cmake --install`
# puts under /usr: `make package`, or `cpack -G DEB` in the build folder, writes
# verselet_<version>_amd64.deb there. The top CMakeLists.txt includes CPack
# after this file.

# Packages the program needs at run time that dpkg-shlibdeps cannot find in
# the libraries it links. The Qt platform plugins (xcb, offscreen) are in
# libqt6gui6 and the Qt Multimedia plugins in libqt6multimedia6, which
# dpkg-shlibdeps finds through libQt6Gui and libQt6Multimedia; the PulseAudio
# client library is a link dependency too, and without a sound server the
# program plays silently. shared-mime-info, desktop-file-utils and the icon
# cache watch their folders by dpkg triggers: they are no dependency.
set(VERSELET_RUNTIME_DEPENDS
    # The Japanese glyphs: the windows ask for Noto Sans CJK JP and Noto Sans
    # Mono CJK JP by name.
    fonts-noto-cjk
    # The help opens in the desktop's browser through QDesktopServices, which
    # runs xdg-open on desktops other than GNOME and KDE.
    xdg-utils
    # Qt's own dialogs (the file dialog, OK and Cancel) in Japanese:
    # qtbase_ja.qm among Qt's translations.
    qt6-translations-l10n
    # TagLib, which reads the tags of music files and writes lyrics into
    # them: dpkg-shlibdeps names the package libtag1v5, which only depends
    # on the one that holds libtag.so.1.
    libtag1v5-vanilla
)

# What the program is better with but works without: MeCab and its UTF-8
# dictionary propose the readings of kanji. The program opens the library
# itself when readings are first asked for, so dpkg-shlibdeps does not see it.
set(VERSELET_RUNTIME_RECOMMENDS libmecab2 mecab-ipadic-utf8)

# A change of the metadata configures again, so the package says what it says.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/data/verselet.metainfo.xml)

# The long description is the English text of the AppStream metadata, so that
# the two never tell different stories: its <p> paragraphs without xml:lang,
# with their white space made single and wrapped for dpkg.
function(verselet_appstream_description metainfo out)
    file(READ ${metainfo} xml)
    string(REGEX MATCH "<description>.*</description>" xml "${xml}")
    string(REGEX MATCHALL "<p>[^<]*</p>" paragraphs "${xml}")
    if(NOT paragraphs)
        message(FATAL_ERROR "${metainfo} has no English description paragraph")
    endif()
    set(text "")
    foreach(paragraph IN LISTS paragraphs)
        string(REGEX REPLACE "</?p>" "" paragraph "${paragraph}")
        string(REGEX REPLACE "[ \t\r\n]+" " " paragraph "${paragraph}")
        string(STRIP "${paragraph}" paragraph)
        string(REPLACE "&quot;" "\"" paragraph "${paragraph}")
        string(REPLACE "&lt;" "<" paragraph "${paragraph}")
        string(REPLACE "&gt;" ">" paragraph "${paragraph}")
        string(REPLACE "&amp;" "&" paragraph "${paragraph}")
        # Lines of at most 72 characters. A ";" would split the word list.
        if(paragraph MATCHES ";")
            message(FATAL_ERROR "${metainfo}: no \";\" in the description, please")
        endif()
        string(REPLACE " " ";" words "${paragraph}")
        set(line "")
        foreach(word IN LISTS words)
            string(LENGTH "${line} ${word}" length)
            if(line STREQUAL "")
                set(line "${word}")
            elseif(length GREATER 72)
                string(APPEND text "${line}\n")
                set(line "${word}")
            else()
                string(APPEND line " ${word}")
            endif()
        endforeach()
        string(APPEND text "${line}\n\n")
    endforeach()
    string(STRIP "${text}" text)
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

set(CPACK_GENERATOR DEB)
# The values reach CPackConfig.cmake as they are: the description has quotes.
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_PACKAGE_NAME verselet)
set(CPACK_PACKAGE_VENDOR "The Verselet developers")
set(CPACK_PACKAGE_CONTACT "Verselet developers <verselet@example.org>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor for timed lyrics texts, in Japanese and English")
verselet_appstream_description(${PROJECT_SOURCE_DIR}/data/verselet.metainfo.xml
                               CPACK_PACKAGE_DESCRIPTION)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
# The installed program is stripped; the build tree keeps its debug information.
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_NAME verselet)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
list(JOIN VERSELET_RUNTIME_DEPENDS ", " CPACK_DEBIAN_PACKAGE_DEPENDS)
list(JOIN VERSELET_RUNTIME_RECOMMENDS ", " CPACK_DEBIAN_PACKAGE_RECOMMENDS)
# Folders 0755 and files 0644 or 0755, as dpkg expects of a package.
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
