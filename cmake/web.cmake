# The program in the browser: the core with the web binding, built by
# emscripten into a static site, the page its window. Included from the root
# when the target is the web; the generators come from a native build of the
# same tree (host_tools.cmake).
#
# Defines:
#   miravel            the program: miravel.js, its loader, and miravel.wasm, linked into the site
#   miravel_site       the rest of the site, built by default: the page, its script and style,
#                      the manifest and its icons, the service worker
#   MIRAVEL_SITE_DIR   ${PROJECT_BINARY_DIR}/site, the folder to serve

set(MIRAVEL_SITE_DIR "${PROJECT_BINARY_DIR}/site")
set(_web_source "${PROJECT_SOURCE_DIR}/src/web")

add_executable(miravel
    src/web/canvas_painter.cpp
    src/web/main_web.cpp
    src/web/page.cpp
    src/web/timeout_alarm.cpp
    src/web/web_session.cpp)
target_link_libraries(miravel PRIVATE miravel_binding miravel_warnings)
target_compile_definitions(miravel PRIVATE MIRAVEL_VERSION="${PROJECT_VERSION}")
set_target_properties(miravel PROPERTIES SUFFIX ".js" RUNTIME_OUTPUT_DIRECTORY "${MIRAVEL_SITE_DIR}")
# Debian's emscripten optimizes the loader with Node and the acorn parser
# it packages, which Node finds only when told where.
set_target_properties(miravel PROPERTIES CXX_LINKER_LAUNCHER "${CMAKE_COMMAND};-E;env;NODE_PATH=/usr/share/nodejs")
# For the browser alone, small: no file system, the smaller allocator, no
# eval, strings decoded by the browser. The page fetches and instantiates
# the program itself (page.js), so that it can say why when it cannot.
target_link_options(miravel PRIVATE
    -sENVIRONMENT=web
    -sFILESYSTEM=0
    -sMALLOC=emmalloc
    -sALLOW_MEMORY_GROWTH=1
    -sDYNAMIC_EXECUTION=0
    -sTEXTDECODER=2)

# The icons: the ringed planet at the sizes a web app names, every art pixel
# a whole block, and at its own size for the browser's tab.
set(_web_icons)
foreach(_size IN ITEMS 192 512)
    set(_icon "${MIRAVEL_SITE_DIR}/icon-${_size}.png")
    add_custom_command(OUTPUT "${_icon}"
        COMMAND icon_generator --size ${_size} "${MIRAVEL_DESKTOP_ICON}" "${_icon}"
        DEPENDS icon_generator "${MIRAVEL_DESKTOP_ICON}"
        COMMENT "Drawing the web app's ${_size} pixel icon"
        VERBATIM)
    list(APPEND _web_icons "${_icon}")
endforeach()
add_custom_command(OUTPUT "${MIRAVEL_SITE_DIR}/icon-32.png"
    COMMAND "${CMAKE_COMMAND}" -E copy "${MIRAVEL_DESKTOP_ICON}" "${MIRAVEL_SITE_DIR}/icon-32.png"
    DEPENDS "${MIRAVEL_DESKTOP_ICON}"
    VERBATIM)
list(APPEND _web_icons "${MIRAVEL_SITE_DIR}/icon-32.png")

# Every file the page loads, besides itself; the service worker keeps them.
set(_site_files style.css page.js miravel.js miravel.wasm manifest.webmanifest icon-32.png icon-192.png icon-512.png)
set(_site_sources)
foreach(_name IN ITEMS index.html.in sw.js.in page.js style.css manifest.webmanifest)
    list(APPEND _site_sources "${_web_source}/${_name}")
endforeach()
add_custom_command(
    OUTPUT "${MIRAVEL_SITE_DIR}/index.html" "${MIRAVEL_SITE_DIR}/sw.js"
    BYPRODUCTS "${MIRAVEL_SITE_DIR}/page.js" "${MIRAVEL_SITE_DIR}/style.css" "${MIRAVEL_SITE_DIR}/manifest.webmanifest"
    COMMAND "${CMAKE_COMMAND}" "-DSOURCE=${_web_source}" "-DSITE=${MIRAVEL_SITE_DIR}" "-DFILES=${_site_files}"
        -P "${CMAKE_CURRENT_LIST_DIR}/web_site.cmake"
    DEPENDS miravel "$<TARGET_FILE:miravel>" ${_web_icons} ${_site_sources} "${CMAKE_CURRENT_LIST_DIR}/web_site.cmake"
    COMMENT "Putting the site together in ${MIRAVEL_SITE_DIR}"
    VERBATIM)
add_custom_target(miravel_site ALL DEPENDS "${MIRAVEL_SITE_DIR}/index.html" "${MIRAVEL_SITE_DIR}/sw.js")
add_dependencies(miravel_site miravel_picture_files)

# The page's tests, in headless Chromium.
include(CTest)
if(BUILD_TESTING)
    add_subdirectory(tests/web)
endif()
