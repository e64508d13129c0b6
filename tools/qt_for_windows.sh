#!/usr/bin/env bash
# Qt for 64-bit Windows, built once per machine from Debian's own qt6-base
# source (the version the Linux build uses, with Debian's patches) with
# Debian's MinGW-w64 and Debian's host tools (moc, rcc, uic are not built
# again). Only what the program loads: Core, Gui, Widgets, the windows and
# offscreen platforms, the Vista style and PNG, as shared libraries.
#
# Usage: tools/qt_for_windows.sh            prints the installed prefix
#
# The prefix lives in ${XDG_CACHE_HOME:-$HOME/.cache}/miravel/, named by Qt's
# version and a hash of the configure flags and the toolchain file, so a
# change of either builds anew. The build installs into a scratch folder that
# is renamed into place only when it is whole: an interrupted build leaves
# nothing that looks complete. Its work folder stays until then, so that the
# next run goes on where it stopped.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
toolchain="$root/cmake/mingw-w64-x86_64.cmake"
cache="${XDG_CACHE_HOME:-$HOME/.cache}/miravel"

# The source package of the Qt the Linux build compiles against.
qt_source_version=$(dpkg-query -W -f='${source:Version}' qt6-base-dev)
qt_version=${qt_source_version%%+*}

flags=(
    -DCMAKE_BUILD_TYPE=Release
    -DBUILD_SHARED_LIBS=ON
    -DQT_QMAKE_TARGET_MKSPEC=win32-g++
    -DQT_HOST_PATH=/usr
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
    -DQT_BUILD_EXAMPLES=OFF
    -DQT_BUILD_TESTS=OFF
    -DQT_BUILD_BENCHMARKS=OFF
    # Nothing from the build machine's pkg-config: its libraries are Linux's.
    -DFEATURE_pkg_config=OFF
    # Modules the program does not use.
    -DFEATURE_network=OFF
    -DFEATURE_sql=OFF
    -DFEATURE_dbus=OFF
    -DFEATURE_xml=OFF
    -DFEATURE_printsupport=OFF
    -DFEATURE_concurrent=OFF
    -DFEATURE_testlib=OFF
    # No GPU: the window is painted in software.
    -DINPUT_opengl=no
    -DFEATURE_opengl=OFF
    -DFEATURE_vulkan=OFF
    # Debian's source leaves out the wintab headers.
    -DFEATURE_tabletevent=OFF
    # PNG is the only picture format read.
    -DFEATURE_jpeg=OFF
    -DFEATURE_gif=OFF
    -DFEATURE_ico=OFF
    -DFEATURE_zstd=OFF
)
hash=$( (printf '%s\n' "$qt_source_version" "${flags[@]}"; cat "$toolchain") | sha256sum | cut -c1-12)
prefix="$cache/qt-$qt_version-mingw64-$hash"

if [[ -x "$prefix/bin/qt-cmake" ]]; then
    echo "$prefix"
    exit 0
fi

work="$cache/work-$hash"
rm -rf "$prefix.partial"
mkdir -p "$work"

# The source package, fetched with an apt state of our own: the machine's
# sources lists stay as they are.
apt_dir="$work/apt"
mkdir -p "$apt_dir/lists/partial" "$apt_dir/archives/partial"
cat >"$apt_dir/sources.list" <<EOF
deb-src http://deb.debian.org/debian bookworm main
deb-src http://deb.debian.org/debian bookworm-updates main
deb-src http://deb.debian.org/debian-security bookworm-security main
EOF
apt_options=(
    -o Dir::Etc::sourcelist="$apt_dir/sources.list"
    -o Dir::Etc::sourceparts=-
    -o Dir::State::Lists="$apt_dir/lists"
    -o Dir::Cache="$apt_dir"
    -o APT::Sandbox::User=root
    -o Debug::NoLocking=1
)
if [[ ! -f "$work/build/build.ninja" ]]; then
    rm -rf "$work/src" "$work/build"
    echo "Qt for Windows: fetching Debian's qt6-base $qt_source_version source" >&2
    apt-get -q "${apt_options[@]}" update >&2
    (cd "$work" && apt-get -q "${apt_options[@]}" source --download-only "qt6-base=$qt_source_version" >&2)
    dpkg-source -x "$work"/qt6-base_*.dsc "$work/src" >&2

    echo "Qt for Windows: configuring" >&2
    cmake -S "$work/src" -B "$work/build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_INSTALL_PREFIX="$prefix" \
        "${flags[@]}" >&2
fi
echo "Qt for Windows: building (about 40 minutes on 2 cores; an interrupted build goes on)" >&2
cmake --build "$work/build" >&2
# Qt writes its prefix into its CMake files: install to the final path, but
# under a name nothing takes for whole, and rename it once it is.
DESTDIR="$prefix.partial" cmake --install "$work/build" >&2
rm -rf "$prefix"
mv "$prefix.partial$prefix" "$prefix"
rm -rf "$prefix.partial" "$work"
echo "$prefix"
