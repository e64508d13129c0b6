# Installation and packages. Included from the root once the miravel
# executable exists; the desktop icon comes from cmake/pictures.cmake.

include(GNUInstallDirs)

if(TARGET miravel)
    install(TARGETS miravel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    # The program must never start without its icon file having been made.
    add_dependencies(miravel miravel_picture_files)
    if(WIN32)
        set(_miravel_rc "${PROJECT_SOURCE_DIR}/packaging/windows/miravel.rc")
        target_sources(miravel PRIVATE "${_miravel_rc}")
        # The resource names the icon by file name only; it lives in the build.
        set_property(SOURCE "${_miravel_rc}" APPEND PROPERTY INCLUDE_DIRECTORIES "${MIRAVEL_PICTURES_DIR}")
        set_property(SOURCE "${_miravel_rc}" APPEND PROPERTY OBJECT_DEPENDS "${MIRAVEL_PICTURES_DIR}/Form1.ico")
        set_target_properties(miravel PROPERTIES WIN32_EXECUTABLE ON)
    endif()
endif()

install(FILES "${PROJECT_SOURCE_DIR}/packaging/miravel.desktop"
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES "${PROJECT_SOURCE_DIR}/packaging/io.miravel.Miravel.metainfo.xml"
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES "${MIRAVEL_DESKTOP_ICON}"
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/32x32/apps RENAME miravel.png)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME miravel)
set(CPACK_PACKAGE_VERSION 1.00)
set(CPACK_PACKAGE_VENDOR "Miravel developers")
set(CPACK_PACKAGE_CONTACT "Miravel developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "A small desktop toy: a clock and three animated scenes")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Miravel developers")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The package carries the program without its debugging information.
set(CPACK_STRIP_FILES ON)
# Qt finds its windowing plugins at run time, so no library dependency names
# them; without qt6-qpa-plugins the window cannot open. The clock prefers
# Comic Neue and falls back to the default font.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-comic-neue")
find_program(MIRAVEL_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(MIRAVEL_DPKG_SHLIBDEPS)
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
    # Without dpkg-dev nothing reads the libraries the program links: name
    # them, or the package installs on a machine that cannot run it.
    set(_miravel_qt "${Qt6_VERSION_MAJOR}.${Qt6_VERSION_MINOR}")
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6widgets6 (>= ${_miravel_qt}), libqt6gui6 (>= ${_miravel_qt}), libqt6core6 (>= ${_miravel_qt})")
endif()
include(CPack)
