# The portable zip and the installer, from one installed folder. Run as a
# script by the build's windows_packages target:
#
#   cmake -DBUILD=<build> -DVERSION=<1.00> -DNUMBERS=<1,0,0,0> -DICON=<ico>
#         -DMAKENSIS=<makensis> -DINSTALLER=<installer.nsi>
#         -DZIP=<zip> -DSETUP=<setup.exe> -P windows_packages.cmake
cmake_minimum_required(VERSION 3.25)

set(_stage "${BUILD}/windows-stage")
set(_folder "Miravel-${VERSION}")
set(_root "${_stage}/${_folder}")
file(REMOVE_RECURSE "${_stage}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD}" --prefix "${_root}" --strip
    OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)

file(REMOVE "${ZIP}")
execute_process(COMMAND "${CMAKE_COMMAND}" -E tar cf "${ZIP}" --format=zip "${_folder}"
    WORKING_DIRECTORY "${_stage}" COMMAND_ERROR_IS_FATAL ANY)

# The installer names every file it writes, so that its uninstaller removes
# those and nothing of the user's: folders after their files, deepest first.
file(GLOB_RECURSE _files RELATIVE "${_root}" "${_root}/*")
list(SORT _files)
set(_install "")
set(_remove "")
set(_folders "")
foreach(_file IN LISTS _files)
    get_filename_component(_dir "${_file}" DIRECTORY)
    string(REPLACE "/" "\\" _windows_file "${_file}")
    string(REPLACE "/" "\\" _windows_dir "${_dir}")
    string(APPEND _install "SetOutPath \"$INSTDIR\\${_windows_dir}\"\nFile \"${_root}/${_file}\"\n")
    string(APPEND _remove "Delete \"$INSTDIR\\${_windows_file}\"\n")
    if(_dir)
        list(APPEND _folders "${_dir}")
    endif()
endforeach()
list(REMOVE_DUPLICATES _folders)
list(SORT _folders ORDER DESCENDING)
foreach(_dir IN LISTS _folders)
    string(REPLACE "/" "\\" _windows_dir "${_dir}")
    string(APPEND _remove "RMDir \"$INSTDIR\\${_windows_dir}\"\n")
endforeach()
file(WRITE "${_stage}/install_files.nsh" "${_install}")
file(WRITE "${_stage}/uninstall_files.nsh" "${_remove}")

string(REPLACE "," "." _numbers "${NUMBERS}")
execute_process(COMMAND "${MAKENSIS}" -V2 -NOCD
        "-DVERSION=${VERSION}" "-DNUMBERS=${_numbers}" "-DSTAGE=${_root}" "-DICON=${ICON}"
        "-DFILES=${_stage}/install_files.nsh" "-DREMOVE=${_stage}/uninstall_files.nsh" "-DOUTFILE=${SETUP}"
        "${INSTALLER}"
    COMMAND_ERROR_IS_FATAL ANY)
