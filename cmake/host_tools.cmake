# The build's own generators run on the machine that builds: the pictures'
# encoder, the icons' generator, the window's places for the scripts, the
# trace's checker and its picture of the panel. A native build makes them
# and writes where they are into miravel-host-tools.cmake; a cross build (for
# Windows) reads that file from a native build of the same tree,
# MIRAVEL_HOST_TOOLS_DIR, and so knows the same tools under the same names:
# every rule and test that runs one reads the same for both. Included from
# the root after project().
#
# Defines:
#   miravel_host_tool(<name> SOURCES <file>... [LIBRARIES <target>...])
#       the tool, made here natively, taken from the native build when cross
#   miravel_export_host_tools()   writes miravel-host-tools.cmake (native)

set(MIRAVEL_HOST_TOOLS_DIR "" CACHE PATH "A native build of this tree, whose generators a cross build runs")

if(CMAKE_CROSSCOMPILING)
    set(_miravel_host_tools_file "${MIRAVEL_HOST_TOOLS_DIR}/miravel-host-tools.cmake")
    if(NOT EXISTS "${_miravel_host_tools_file}")
        message(FATAL_ERROR "A cross build runs the generators of a native build of this tree: "
            "set MIRAVEL_HOST_TOOLS_DIR to one (make windows uses build/)")
    endif()
    include("${_miravel_host_tools_file}")
endif()

function(miravel_host_tool name)
    cmake_parse_arguments(PARSE_ARGV 1 _tool "" "" "SOURCES;LIBRARIES")
    if(CMAKE_CROSSCOMPILING)
        if(NOT TARGET ${name})
            message(FATAL_ERROR "${_miravel_host_tools_file} has no ${name}: build it in ${MIRAVEL_HOST_TOOLS_DIR}")
        endif()
        return()
    endif()
    add_executable(${name} ${_tool_SOURCES})
    target_link_libraries(${name} PRIVATE ${_tool_LIBRARIES})
    set_property(GLOBAL APPEND PROPERTY MIRAVEL_HOST_TOOLS ${name})
endfunction()

function(miravel_export_host_tools)
    if(CMAKE_CROSSCOMPILING)
        return()
    endif()
    get_property(_tools GLOBAL PROPERTY MIRAVEL_HOST_TOOLS)
    export(TARGETS ${_tools} FILE "${PROJECT_BINARY_DIR}/miravel-host-tools.cmake")
endfunction()
