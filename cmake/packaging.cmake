# Installation. Included from the root once the miravel executable exists.
# The Debian package (debian/) installs through these rules too; it sets
# CMAKE_INSTALL_BINDIR to games, where Debian keeps games.

include(${CMAKE_CURRENT_LIST_DIR}/icons.cmake)

# The Windows resources' version block: the version as text, and as the four
# numbers Explorer compares, each part read as a decimal number, missing ones
# 0 (a version "2.08" is 2,8,0,0, where a resource compiler would take the 08
# for octal). Written on every platform, so that a slip in the template shows
# without a Windows build.
string(REPLACE "." ";" _miravel_version_parts "${PROJECT_VERSION}")
list(APPEND _miravel_version_parts 0 0 0)
list(SUBLIST _miravel_version_parts 0 4 _miravel_version_parts)
set(_miravel_version_numbers)
foreach(_part IN LISTS _miravel_version_parts)
    math(EXPR _part "${_part}" OUTPUT_FORMAT DECIMAL)
    list(APPEND _miravel_version_numbers ${_part})
endforeach()
list(JOIN _miravel_version_numbers "," MIRAVEL_RC_VERSION)
set(_miravel_rc "${PROJECT_BINARY_DIR}/miravel.rc")
configure_file("${PROJECT_SOURCE_DIR}/packaging/windows/miravel.rc.in" "${_miravel_rc}" @ONLY)

if(TARGET miravel)
    # The program must never start without its icon file having been made.
    add_dependencies(miravel miravel_picture_files)
    # Windows has a folder of its own and no desktop files, manual or theme.
    if(WIN32)
        include(${CMAKE_CURRENT_LIST_DIR}/windows.cmake)
        return()
    endif()
    install(TARGETS miravel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

install(FILES "${PROJECT_SOURCE_DIR}/packaging/miravel.desktop"
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES "${PROJECT_SOURCE_DIR}/packaging/io.miravel.miravel.metainfo.xml"
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# Section 6: games. It names the version, so it is written at configure time.
configure_file("${PROJECT_SOURCE_DIR}/packaging/miravel.6.in" "${PROJECT_BINARY_DIR}/miravel.6" @ONLY)
install(FILES "${PROJECT_BINARY_DIR}/miravel.6"
    DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(DIRECTORY "${MIRAVEL_ICONS_DIR}/"
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
