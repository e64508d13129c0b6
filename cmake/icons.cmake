# The desktop icons: the window icon's 32 x 32 PNG from cmake/pictures.cmake,
# enlarged into the hicolor theme's sizes and drawn as an SVG. Included from
# cmake/packaging.cmake.
#
# Defines:
#   icon_generator       host tool (host_tools.cmake): 32 x 32 PNG -> hicolor PNGs and SVG
#   miravel_icons        target producing MIRAVEL_ICONS_DIR, built by default
#   MIRAVEL_ICONS_DIR    ${PROJECT_BINARY_DIR}/icons, laid out as hicolor/

if(NOT CMAKE_CROSSCOMPILING)
    find_package(Qt6 REQUIRED COMPONENTS Gui)
endif()

set(MIRAVEL_ICONS_DIR "${PROJECT_BINARY_DIR}/icons")
set(_miravel_icon_files "${MIRAVEL_ICONS_DIR}/scalable/apps/miravel.svg")
foreach(_size IN ITEMS 32 48 64 128 256)
    list(APPEND _miravel_icon_files "${MIRAVEL_ICONS_DIR}/${_size}x${_size}/apps/miravel.png")
endforeach()

miravel_host_tool(icon_generator SOURCES "${PROJECT_SOURCE_DIR}/tools/icon_generator.cpp" LIBRARIES Qt6::Gui)

add_custom_command(
    OUTPUT ${_miravel_icon_files}
    COMMAND icon_generator "${MIRAVEL_DESKTOP_ICON}" "${MIRAVEL_ICONS_DIR}"
    DEPENDS icon_generator "${MIRAVEL_DESKTOP_ICON}"
    COMMENT "Drawing the desktop icons"
    VERBATIM)
add_custom_target(miravel_icons ALL DEPENDS ${_miravel_icon_files})
# The picture files' target owns the rule that writes the 32 x 32 PNG.
add_dependencies(miravel_icons miravel_picture_files)
