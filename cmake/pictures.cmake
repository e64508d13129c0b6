# Pictures: the build-time encoder, the records it compiles into the program,
# and the decoder library. Included from the root after project().
#
# Defines:
#   picture_encoder        host tool (host_tools.cmake): art/ -> records, icon files, desktop PNG
#   miravel_picture_files  custom target producing everything below
#   miravel_pictures       static library: decoder + compiled records
#   MIRAVEL_PICTURES_DIR   ${PROJECT_BINARY_DIR}/pictures (<Control>.ico, miravel.png)
#   MIRAVEL_DESKTOP_ICON   the 32x32 PNG installed as the desktop icon
#   MIRAVEL_TEST_DEFINITIONS  compile definitions the picture tests need
#   option MIRAVEL_FUZZ    with clang, builds picture_decoder_fuzz

set(MIRAVEL_ART_DIR "${PROJECT_SOURCE_DIR}/art" CACHE PATH "Directory holding pictures.txt and the text art")
set(MIRAVEL_PICTURES_DIR "${PROJECT_BINARY_DIR}/pictures")
set(MIRAVEL_DESKTOP_ICON "${MIRAVEL_PICTURES_DIR}/miravel.png")
set(_miravel_generated_dir "${PROJECT_BINARY_DIR}/generated")
set(_miravel_manifest "${MIRAVEL_ART_DIR}/pictures.txt")

# QImage writes the desktop icon's PNG; a cross build takes the encoder as made.
if(NOT CMAKE_CROSSCOMPILING)
    find_package(Qt6 REQUIRED COMPONENTS Gui)
endif()
miravel_host_tool(picture_encoder SOURCES "${PROJECT_SOURCE_DIR}/tools/picture_encoder.cpp" LIBRARIES Qt6::Gui)

# The outputs follow from the manifest, so a changed manifest reconfigures.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${_miravel_manifest}")
file(STRINGS "${_miravel_manifest}" _miravel_manifest_lines)
set(_miravel_art_files "${_miravel_manifest}")
set(_miravel_picture_outputs "${_miravel_generated_dir}/stored_pictures.cpp" "${MIRAVEL_DESKTOP_ICON}")
foreach(_line IN LISTS _miravel_manifest_lines)
    if(_line MATCHES "^([A-Za-z0-9_]+)[ \t]+([a-z0-9_]+)[ \t]*$")
        list(APPEND _miravel_picture_outputs "${MIRAVEL_PICTURES_DIR}/${CMAKE_MATCH_1}.ico")
        list(APPEND _miravel_art_files "${MIRAVEL_ART_DIR}/${CMAKE_MATCH_2}.txt")
    endif()
endforeach()
list(REMOVE_DUPLICATES _miravel_art_files)

add_custom_command(
    OUTPUT ${_miravel_picture_outputs}
    COMMAND picture_encoder "${MIRAVEL_ART_DIR}" "${_miravel_generated_dir}" "${MIRAVEL_PICTURES_DIR}"
    DEPENDS picture_encoder ${_miravel_art_files}
    COMMENT "Encoding pictures from art/"
    VERBATIM)
add_custom_target(miravel_picture_files DEPENDS ${_miravel_picture_outputs})

add_library(miravel_pictures STATIC
    "${PROJECT_SOURCE_DIR}/src/scene/picture.cpp"
    "${_miravel_generated_dir}/stored_pictures.cpp")
target_include_directories(miravel_pictures PUBLIC "${PROJECT_SOURCE_DIR}/src")
target_compile_features(miravel_pictures PUBLIC cxx_std_20)
# Only one target may own the custom command's rule in Makefile builds.
add_dependencies(miravel_pictures miravel_picture_files)

set(MIRAVEL_TEST_DEFINITIONS "MIRAVEL_ART_DIR=\"${MIRAVEL_ART_DIR}\"")

option(MIRAVEL_FUZZ "Build the picture decoder fuzz target (clang only)" OFF)
if(MIRAVEL_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        message(FATAL_ERROR "MIRAVEL_FUZZ needs clang with libFuzzer (e.g. -DCMAKE_CXX_COMPILER=clang++)")
    endif()
    # Its own copy of the sources, so that the decoder itself is instrumented.
    add_executable(picture_decoder_fuzz
        "${PROJECT_SOURCE_DIR}/tests/fuzz/picture_decoder_fuzz.cpp"
        "${PROJECT_SOURCE_DIR}/src/scene/picture.cpp"
        "${_miravel_generated_dir}/stored_pictures.cpp")
    add_dependencies(picture_decoder_fuzz miravel_picture_files)
    target_include_directories(picture_decoder_fuzz PRIVATE "${PROJECT_SOURCE_DIR}/src")
    target_compile_features(picture_decoder_fuzz PRIVATE cxx_std_20)
    target_compile_options(picture_decoder_fuzz PRIVATE -g -fsanitize=fuzzer,address,undefined
        -fno-sanitize-recover=undefined)
    target_link_options(picture_decoder_fuzz PRIVATE -fsanitize=fuzzer,address,undefined)
    # Seeds: every distinct real record, written by the encoder.
    set(MIRAVEL_FUZZ_SEEDS "${_miravel_generated_dir}/records")
endif()
