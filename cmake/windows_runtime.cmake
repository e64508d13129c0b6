# Puts beside a Windows program what it loads: the Qt plugins named, and
# every DLL that the program and those plugins import, found in Qt's and
# MinGW's folders; what is found in neither is Windows' own. Run as a script:
#
#   cmake -DPROGRAM=<exe> -DDESTINATION=<folder> -DPLUGINS=<qt plugin paths>
#         -DQT_PREFIX=<Qt for Windows> -DSEARCH=<folders> -DOBJDUMP=<objdump>
#         [-DSTRIP=<strip>] [-DLIST=<file>] -P windows_runtime.cmake
#
# PLUGINS are relative to Qt's plugins folder (platforms/qwindows.dll) and
# keep that place under DESTINATION, where Qt looks for them. STRIP, when
# given, strips what is copied. LIST, when given, receives the copied files,
# relative to DESTINATION, one a line.
cmake_minimum_required(VERSION 3.25)

foreach(_input IN ITEMS PROGRAM DESTINATION PLUGINS QT_PREFIX SEARCH OBJDUMP)
    if(NOT DEFINED ${_input})
        message(FATAL_ERROR "windows_runtime.cmake: ${_input} is not set")
    endif()
endforeach()

set(CMAKE_GET_RUNTIME_DEPENDENCIES_PLATFORM windows+pe)
set(CMAKE_GET_RUNTIME_DEPENDENCIES_TOOL objdump)
set(CMAKE_GET_RUNTIME_DEPENDENCIES_COMMAND "${OBJDUMP}")

set(_plugins)
foreach(_plugin IN LISTS PLUGINS)
    list(APPEND _plugins "${QT_PREFIX}/plugins/${_plugin}")
endforeach()
file(GET_RUNTIME_DEPENDENCIES
    EXECUTABLES "${PROGRAM}"
    MODULES ${_plugins}
    DIRECTORIES "${QT_PREFIX}/bin" ${SEARCH}
    RESOLVED_DEPENDENCIES_VAR _dlls
    UNRESOLVED_DEPENDENCIES_VAR _windows_own)

set(_copied)
function(_miravel_copy file subfolder)
    get_filename_component(_name "${file}" NAME)
    file(COPY "${file}" DESTINATION "${DESTINATION}/${subfolder}")
    if(STRIP)
        execute_process(COMMAND "${STRIP}" --strip-unneeded "${DESTINATION}/${subfolder}/${_name}"
            COMMAND_ERROR_IS_FATAL ANY)
    endif()
    if(subfolder)
        set(_name "${subfolder}/${_name}")
    endif()
    set(_copied ${_copied} "${_name}" PARENT_SCOPE)
endfunction()

foreach(_dll IN LISTS _dlls)
    _miravel_copy("${_dll}" "")
endforeach()
foreach(_plugin IN LISTS PLUGINS)
    get_filename_component(_folder "${_plugin}" DIRECTORY)
    _miravel_copy("${QT_PREFIX}/plugins/${_plugin}" "${_folder}")
endforeach()

if(LIST)
    list(SORT _copied)
    list(JOIN _copied "\n" _lines)
    file(WRITE "${LIST}" "${_lines}\n")
endif()
