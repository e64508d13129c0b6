# Two commands: `make run` and `make test`. Both install what is missing
# (Debian packages), configure and build into build/.

BUILD_DIR ?= build
CMAKE_FLAGS ?=
PACKAGES := cmake ninja-build g++ qt6-base-dev libgtest-dev libgmock-dev libbenchmark-dev \
            xvfb xauth xdotool x11-utils imagemagick fonts-comic-neue \
            appstream desktop-file-utils
# The window's own hints to X11 window managers (xcb); real desktops for its
# tests: two X11 window managers and a tool that sends them a user's requests,
# a Wayland compositor and Qt's Wayland plugin.
PACKAGES += libxcb1-dev openbox icewm wmctrl weston qt6-wayland

.PHONY: all setup configure build run test test-sanitize bench clean

all: build

setup:
	@tools/setup.sh $(PACKAGES)

$(BUILD_DIR)/build.ninja: | setup
	cmake -S . -B $(BUILD_DIR) -G Ninja $(CMAKE_FLAGS)

configure: setup $(BUILD_DIR)/build.ninja

build: configure
	cmake --build $(BUILD_DIR)

run: build
	./$(BUILD_DIR)/miravel

# Every X session a test starts takes a display of its own, so the suite runs
# on all cores at once.
test: build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(shell nproc)

# The whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer.
test-sanitize: export LSAN_OPTIONS = suppressions=$(CURDIR)/tools/lsan.supp:print_suppressions=0
test-sanitize:
	$(MAKE) test BUILD_DIR=build-sanitize CMAKE_FLAGS="-DMIRAVEL_SANITIZE=ON $(CMAKE_FLAGS)"

bench: build
	cmake --build $(BUILD_DIR) --target benchmarks

clean:
	rm -rf $(BUILD_DIR) build-sanitize
