# Puts beside a Windows program what it loads: the Qt plugins named, and
# every DLL that the program and those plugins import, and those DLLs in
# turn, found in Qt's and MinGW's folders; what is found in neither is
# Windows' own. Run as a script:
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

# Every DLL in the folders searched, by its name in lower case: Windows
# matches an import's name without regard to case, and Linux's file system
# does not (so neither does file(GET_RUNTIME_DEPENDENCIES) here).
set(_known)
foreach(_folder IN ITEMS "${QT_PREFIX}/bin" ${SEARCH})
    file(GLOB _found "${_folder}/*.dll")
    foreach(_path IN LISTS _found)
        get_filename_component(_name "${_path}" NAME)
        string(TOLOWER "${_name}" _name)
        if(NOT DEFINED _dll_${_name})
            set(_dll_${_name} "${_path}")
        endif()
    endforeach()
endforeach()

# The imports of the program and the plugins, and theirs in turn; a name
# found in none of the folders is Windows' own.
set(_queue "${PROGRAM}")
foreach(_plugin IN LISTS PLUGINS)
    list(APPEND _queue "${QT_PREFIX}/plugins/${_plugin}")
endforeach()
set(_dlls)
while(_queue)
    list(POP_FRONT _queue _file)
    execute_process(COMMAND "${OBJDUMP}" -p "${_file}" OUTPUT_VARIABLE _headers COMMAND_ERROR_IS_FATAL ANY)
    string(REGEX MATCHALL "DLL Name: [^\n]+" _imports "${_headers}")
    foreach(_import IN LISTS _imports)
        string(REGEX REPLACE "^DLL Name: " "" _name "${_import}")
        string(STRIP "${_name}" _name)
        string(TOLOWER "${_name}" _name)
        if(DEFINED _dll_${_name} AND NOT "${_dll_${_name}}" IN_LIST _dlls)
            list(APPEND _dlls "${_dll_${_name}}")
            list(APPEND _queue "${_dll_${_name}}")
        endif()
    endforeach()
endwhile()

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
