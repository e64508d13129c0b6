# The tests of the Windows build, included from tests/CMakeLists.txt in its
# place for what only the build machine runs. The test programs above run
# under Wine through the build's CMAKE_CROSSCOMPILING_EMULATOR.

# The checks of the real window on Linux drive Miravel.exe too, through a
# launcher; the others are Wine's own, beside this list.
set(_wine_tests "${CMAKE_CURRENT_LIST_DIR}")
set(_window_tests "${CMAKE_CURRENT_LIST_DIR}/../window")

# The version record and the program file's icon, read back from Miravel.exe
# by readers that are not ours: Debian's pefile and icoutils.
add_test(NAME windows_version_record
    COMMAND /usr/bin/python3 "${_wine_tests}/version_record.py" "$<TARGET_FILE:miravel>" "${PROJECT_VERSION}")
add_test(NAME windows_icon
    COMMAND "${_wine_tests}/windows_icon.sh" "$<TARGET_FILE:miravel>" "${MIRAVEL_PICTURES_DIR}/DOSEI.ico"
        "${MIRAVEL_ICONS_DIR}")

# The real window under Wine on a private X server. The scripts that drive
# the Linux build's window take a launcher that starts Miravel.exe through
# Wine, with the window's places written beside it and the build machine's
# trace_check and trace_picture.
file(GENERATE OUTPUT "${PROJECT_BINARY_DIR}/miravel"
    CONTENT "#!/bin/sh\n# Miravel.exe of this build under Wine, for the scripts that drive the real window.\nexec \"${_wine_tests}/wine_run.sh\" \"$<TARGET_FILE:miravel>\" \"$@\"\n"
    FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
# The build's Wine prefix is made, and its first window shown, before any
# test waits for a window: a fresh prefix takes Wine tens of seconds to make
# and to start its desktop in, which would read as a window late. The
# end-to-end check does it, given a minute for its window.
add_test(NAME wine_prefix COMMAND "${_window_tests}/e2e.sh" "${PROJECT_BINARY_DIR}/miravel")
set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine_prefix LABELS "wine;xserver" TIMEOUT 180
    ENVIRONMENT "WINDOW_WAIT=900")
function(miravel_add_wine_test name script)
    add_test(NAME ${name} COMMAND "${_wine_tests}/${script}" "${PROJECT_BINARY_DIR}/miravel" ${ARGN})
    set_tests_properties(${name} PROPERTIES TIMEOUT 180 LABELS "wine;xserver" FIXTURES_REQUIRED wine_prefix
        ENVIRONMENT "TRACE_CHECK=$<TARGET_FILE:trace_check>;TRACE_PICTURE=$<TARGET_FILE:trace_picture>;WINDOW_WAIT=600")
endfunction()
# Its title, size and icon; each scene and "clear" as the Linux build paints
# the same moment of the run; the trace; --version.
miravel_add_wine_test(wine_window wine_window.sh "${MIRAVEL_PICTURES_DIR}/DOSEI.ico" "${PROJECT_VERSION}")

# The display's scale as a Windows user sets it, 200, 150 and 125 %, in a Wine
# prefix of the test's own: the window grows by as much and hidpi.sh's checks
# of the pictures and the frame hold. Three windows, each a fresh process.
# Each window is waited for as long as the prefix's first was: on a busy
# machine Wine's start-up takes that long, every time.
miravel_add_wine_test(wine_hidpi wine_dpi.sh)
set_tests_properties(wine_hidpi PROPERTIES TIMEOUT 600 ENVIRONMENT "WINDOW_WAIT=900")

# --on-top under an X11 window manager: the window is kept above another the
# user activates, the panel's menu turns that off and on, and without the
# option it is not. The other window is the Linux build's.
miravel_add_wine_test(wine_on_top wine_on_top.sh "${MIRAVEL_HOST_TOOLS_DIR}/miravel")
set_tests_properties(wine_on_top PROPERTIES TIMEOUT 420 ENVIRONMENT "WINDOW_WAIT=900")

# What a Windows user downloads: the zip unpacked and the installer run, each
# in a fresh Wine prefix, and the installer's own version record.
add_test(NAME windows_packages
    COMMAND "${_wine_tests}/windows_packages_test.sh" "${MIRAVEL_WINDOWS_ZIP}" "${MIRAVEL_WINDOWS_SETUP}"
        "${PROJECT_VERSION}" "${PROJECT_BINARY_DIR}/window_places.sh")
# Each fresh prefix's first window comes as slowly as the build's first did.
set_tests_properties(windows_packages PROPERTIES TIMEOUT 900 LABELS "wine;xserver" ENVIRONMENT "WINDOW_WAIT=900")
get_filename_component(_setup_name "${MIRAVEL_WINDOWS_SETUP}" NAME)
add_test(NAME windows_setup_version_record
    COMMAND /usr/bin/python3 "${_wine_tests}/version_record.py" "${MIRAVEL_WINDOWS_SETUP}" "${PROJECT_VERSION}"
        "${_setup_name}" "Miravel ${PROJECT_VERSION} Setup")
