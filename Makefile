# Two commands: `make run` and `make test`. Both install what is missing
# (Debian packages), configure and build through CMakePresets.json: build/,
# or build-sanitize/ and build-release/ for those presets. `make deb` builds
# the Debian package into the parent directory, as dpkg-buildpackage does.
# `make windows` builds Miravel.exe into build-windows/, and `make
# windows-test` runs its tests under Wine. `make web` builds the program for
# the browser, a static site in build-web/site/; `make web-run` serves it on
# this machine and `make web-test` runs its tests in headless Chromium.

PRESET ?= default
BUILD_DIR := $(if $(filter default,$(PRESET)),build,build-$(PRESET))
CMAKE_FLAGS ?=
PACKAGES := cmake ninja-build g++ qt6-base-dev libgtest-dev libgmock-dev libbenchmark-dev \
            xvfb xauth xdotool x11-utils imagemagick fonts-comic-neue \
            appstream desktop-file-utils
# Faces for the clock's text in other scripts: CJK and Hangul, Thai, Bengali,
# and Arabic and Hebrew upright.
PACKAGES += fonts-wqy-microhei fonts-tlwg-garuda-ttf fonts-lohit-beng-bengali fonts-dejavu-core
# The accessibility test: a session bus, the AT-SPI bus and registry, and a client.
PACKAGES += dbus-daemon dbus-bin at-spi2-core python3-pyatspi
# The window's own hints to X11 window managers (xcb); real desktops for its
# tests: two X11 window managers and a tool that sends them a user's requests,
# a Wayland compositor and Qt's Wayland plugin.
PACKAGES += libxcb1-dev openbox icewm wmctrl weston qt6-wayland
# The clipboard's image, read back as another program would.
PACKAGES += xclip
# xwd, which the stall's check takes its shots with: it starts at once.
PACKAGES += x11-apps
# A locale with a decimal comma, made by the trace's test where none is installed.
PACKAGES += locales
# Building the Debian package and checking it (make deb, .ci/run): the Debian
# build tools, lintian, and what the check of the unpacked package runs.
DEB_PACKAGES := build-essential debhelper dpkg-dev lintian git \
                man-db gtk-update-icon-cache
# The program for Windows (make windows): MinGW-w64 with posix threads, the
# tools that fetch and unpack Debian's Qt source for it, the icon's and the
# version record's tools, and Wine with Xvfb to run it all.
WINDOWS_PACKAGES := g++-mingw-w64-x86-64-posix mingw-w64-tools dpkg-dev icoutils \
                    python3-pefile nsis wine64 fonts-wine unzip xvfb xdotool x11-utils imagemagick
# The program in the browser (make web): Debian's emscripten, and the
# browser, its WebDriver and Python's bindings for it that the page's tests
# drive.
WEB_PACKAGES := emscripten chromium chromium-driver python3-selenium
WEB_PORT ?= 8145
# The measurements (make bench): a classic digital clock to compare the idle
# cost with, and the profiler.
BENCH_PACKAGES := x11-apps valgrind

.PHONY: all setup setup-deb setup-windows setup-web configure build run test test-sanitize release bench deb \
        windows windows-test web web-run web-test clean

all: build

setup:
	@tools/setup.sh $(PACKAGES)

setup-deb:
	@tools/setup.sh $(PACKAGES) $(DEB_PACKAGES)

setup-windows: setup
	@tools/setup.sh $(WINDOWS_PACKAGES)

setup-web: setup
	@tools/setup.sh $(WEB_PACKAGES)

$(BUILD_DIR)/build.ninja: | setup
	cmake --preset $(PRESET) $(CMAKE_FLAGS)

configure: setup $(BUILD_DIR)/build.ninja

build: configure
	cmake --build --preset $(PRESET)

run: build
	./$(BUILD_DIR)/miravel

# Every X session a test starts takes a display of its own, so the suite runs
# on all cores at once.
test: build
	ctest --preset $(PRESET) -j $(shell nproc)

# The whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer.
test-sanitize:
	$(MAKE) test PRESET=sanitize

release:
	$(MAKE) build PRESET=release

bench: build
	@tools/setup.sh $(BENCH_PACKAGES)
	cmake --build $(BUILD_DIR) --target benchmarks

# Qt for Windows is built once per machine into a cache outside the tree
# (tools/qt_for_windows.sh), and found there at every configure; the
# generators the build runs come from build/.
windows: setup-windows build
	qt=$$(tools/qt_for_windows.sh) && MIRAVEL_QT_WINDOWS="$$qt" cmake --preset windows $(CMAKE_FLAGS)
	cmake --build --preset windows

windows-test: windows
	ctest --preset windows -j $(shell nproc)

# The generators the web build runs come from build/, as for Windows.
web: setup-web build
	cmake --preset web $(CMAKE_FLAGS)
	cmake --build --preset web

# On this machine only: a service worker needs a secure origin, which
# 127.0.0.1 is.
web-run: web
	@echo "Miravel: http://127.0.0.1:$(WEB_PORT)/"
	python3 -m http.server --bind 127.0.0.1 --directory build-web/site $(WEB_PORT)

web-test: web
	ctest --preset web

deb: setup-deb
	dpkg-buildpackage -us -uc -b

clean:
	rm -rf build build-sanitize build-release build-windows build-web
