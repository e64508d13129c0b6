# Puts the web site together, in cmake -P mode, once the program is linked
# into it: the page's own files copied from the source, then index.html and
# the service worker written with the build's version, a hash of every file
# the page loads. A new build is a new version, so its worker keeps it in a
# cache of its own and never hands a page one build's files with another's.
#
#   -DSOURCE=<src/web> -DSITE=<the site's folder> -DFILES=<the site's files besides index.html and sw.js>
#
# The templates are part of the version too: a change to either is a new site.

foreach(_name IN ITEMS page.js style.css manifest.webmanifest)
    file(COPY_FILE "${SOURCE}/${_name}" "${SITE}/${_name}" ONLY_IF_DIFFERENT)
endforeach()

set(_sums)
foreach(_name IN LISTS FILES)
    file(SHA256 "${SITE}/${_name}" _sum)
    string(APPEND _sums "${_name} ${_sum}\n")
endforeach()
foreach(_template IN ITEMS index.html.in sw.js.in)
    file(SHA256 "${SOURCE}/${_template}" _sum)
    string(APPEND _sums "${_template} ${_sum}\n")
endforeach()
string(SHA256 _version "${_sums}")
string(SUBSTRING "${_version}" 0 16 MIRAVEL_SITE_VERSION)

# What the worker keeps: the page and everything it loads.
set(_quoted "'index.html'")
foreach(_name IN LISTS FILES)
    string(APPEND _quoted ", '${_name}'")
endforeach()
set(MIRAVEL_SITE_FILES "${_quoted}")

configure_file("${SOURCE}/index.html.in" "${SITE}/index.html" @ONLY)
configure_file("${SOURCE}/sw.js.in" "${SITE}/sw.js" @ONLY)
