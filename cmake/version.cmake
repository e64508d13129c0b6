# The one version number. Included from the root before project().
#
# debian/changelog holds it: the newest entry's version without the Debian
# revision is the program's, and the AppStream metainfo lists one release per
# changelog entry, newest first, on the entry's date. A metainfo out of step
# with the changelog stops the configure, so neither can be released alone.
#
# Defines:
#   MIRAVEL_CHANGELOG_VERSION   the newest entry's upstream version: its
#                               "<version>-<revision>" less the revision

set(_miravel_changelog "${CMAKE_CURRENT_SOURCE_DIR}/debian/changelog")
set(_miravel_metainfo "${CMAKE_CURRENT_SOURCE_DIR}/packaging/io.miravel.miravel.metainfo.xml")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${_miravel_changelog}" "${_miravel_metainfo}")

# Each entry as "<upstream version> <yyyy-mm-dd>": its first line names the
# version, its last line (" -- maintainer  Tue, 08 Dec 2026 ...") the date.
set(_miravel_months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
file(STRINGS "${_miravel_changelog}" _miravel_changelog_lines REGEX "^(miravel \\(| -- )")
set(_miravel_changelog_releases)
foreach(_line IN LISTS _miravel_changelog_lines)
    if(_line MATCHES "^miravel \\(([0-9][0-9.]*)-[^)]+\\)")
        set(_version "${CMAKE_MATCH_1}")
    elseif(_line MATCHES ">  [A-Z][a-z][a-z], ([0-9]?[0-9]) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ")
        list(FIND _miravel_months "${CMAKE_MATCH_2}" _month)
        math(EXPR _month "${_month} + 1" OUTPUT_FORMAT DECIMAL)
        string(LENGTH "${_month}" _digits)
        if(_digits EQUAL 1)
            set(_month "0${_month}")
        endif()
        set(_day "${CMAKE_MATCH_1}")
        string(LENGTH "${_day}" _digits)
        if(_digits EQUAL 1)
            set(_day "0${_day}")
        endif()
        list(APPEND _miravel_changelog_releases "${_version} ${CMAKE_MATCH_3}-${_month}-${_day}")
    endif()
endforeach()
if(NOT _miravel_changelog_releases)
    message(FATAL_ERROR "${_miravel_changelog}: no entry with a version and a date")
endif()
list(GET _miravel_changelog_releases 0 MIRAVEL_CHANGELOG_VERSION)
string(REGEX REPLACE " .*" "" MIRAVEL_CHANGELOG_VERSION "${MIRAVEL_CHANGELOG_VERSION}")

file(STRINGS "${_miravel_metainfo}" _miravel_metainfo_lines REGEX "<release ")
set(_miravel_metainfo_releases)
foreach(_line IN LISTS _miravel_metainfo_lines)
    if(_line MATCHES "<release version=\"([^\"]+)\" date=\"([^\"]+)\"")
        list(APPEND _miravel_metainfo_releases "${CMAKE_MATCH_1} ${CMAKE_MATCH_2}")
    endif()
endforeach()
if(NOT _miravel_metainfo_releases STREQUAL _miravel_changelog_releases)
    message(FATAL_ERROR "The releases in ${_miravel_metainfo} (${_miravel_metainfo_releases}) "
        "are not those of ${_miravel_changelog} (${_miravel_changelog_releases}): "
        "add a <release version=\"...\" date=\"...\"> for each changelog entry, newest first")
endif()
