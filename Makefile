# Velmora: `make` builds the programs, `make run` starts the time clock, `make demo` tries it
# with example cards, `make test` runs every test.

# Two build trees, so that alternating make and make test rebuilds nothing: the programs alone
# for make, run, demo and package; the programs and the tests for make test.
BUILD ?= build
TEST_BUILD ?= build-test
DATA ?= data
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)
# CI builds with warnings as errors.
WERROR := $(if $(CI),ON,OFF)
# Through ccache where setup has installed it (the test packages): the quick start's test builds
# the programs again in a copy of the checkout, which then finds them in the cache. Paths below
# the checkout are hashed relative to it, so that the copy's build matches this one's.
CCACHE := $(shell command -v ccache)
LAUNCHER := $(if $(CCACHE),-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
export CCACHE_BASEDIR := $(CURDIR)
export CCACHE_NOHASHDIR := 1

FUZZ_SECONDS ?= 60
FUZZ_TARGETS := fields cp932 records registry dates daysoff

.PHONY: all app setup configure build run demo package test test-asan bench fuzz screenshots \
	format format-check clean

all: app

# The Debian packages to build and run the programs; setup adds those of the tests.
app:
	bash scripts/setup.sh run build
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DVELMORA_TESTS=OFF \
	  -DVELMORA_WERROR=$(WERROR) $(LAUNCHER)
	cmake --build $(BUILD) -j$(JOBS)

run: app
	mkdir -p "$(DATA)"
	cd "$(DATA)" && "$(CURDIR)/$(BUILD)/bin/velmora"

# The time clock in demo/: a shared PC with two example cards and a virtual card reader.
demo: app
	bash scripts/demo.sh "$(BUILD)/bin/velmora" demo

# The Debian package, in BUILD.
package: app
	cd $(BUILD) && cpack -G DEB

setup:
	bash scripts/setup.sh run build test

configure: setup
	cmake -S . -B $(TEST_BUILD) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DVELMORA_TESTS=ON \
	  -DVELMORA_WERROR=$(WERROR) $(LAUNCHER)

build: configure
	cmake --build $(TEST_BUILD) -j$(JOBS)

test: build
	cd $(TEST_BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS)

# The whole suite again with AddressSanitizer and UndefinedBehaviorSanitizer.
test-asan: setup
	cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DVELMORA_SANITIZE=ON -DVELMORA_WERROR=$(WERROR) \
	  $(LAUNCHER)
	cmake --build build-asan -j$(JOBS)
	cd build-asan && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS)

# Speed and memory figures, from an optimised build.
bench:
	bash scripts/setup.sh run build bench
	cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF -DVELMORA_BENCH=ON
	cmake --build build-release -j$(JOBS)
	build-release/bench/velmora_bench
	bash bench/program.sh build-release/bin/velmora

# Each fuzz target for FUZZ_SECONDS, starting from the corpus in fuzz/corpus/.
fuzz:
	bash scripts/setup.sh run build fuzz
	cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
	  -DCMAKE_CXX_COMPILER=clang++ -DVELMORA_TESTS=OFF -DVELMORA_FUZZ=ON
	cmake --build build-fuzz -j$(JOBS) --target $(addprefix fuzz_,$(FUZZ_TARGETS))
	# New inputs go to a scratch folder; a crash's input is named in the output.
	work=$$(mktemp -d) && for t in $(FUZZ_TARGETS); do mkdir -p $$work/$$t && \
	  build-fuzz/fuzz/fuzz_$$t -max_total_time=$(FUZZ_SECONDS) -timeout=10 \
	  -artifact_prefix=$$work/ $$work/$$t fuzz/corpus/$$t || exit 1; done; rm -rf $$work

screenshots: setup app
	bash scripts/screenshots.sh $(BUILD)/bin/velmora docs

# Windows, cross-built with MinGW and the static Qt of ../shared/toolchains (setup.sh windows):
# build-windows/velmora.exe, sony_idm.dll and velmora-report.exe, tested under Wine.
WINDOWS_BUILD ?= build-windows
.PHONY: windows-configure windows windows-test windows-run windows-package windows-pages
windows-configure:
	bash scripts/setup.sh build windows
	cmake -G Ninja -S . -B $(WINDOWS_BUILD) -DCMAKE_BUILD_TYPE=Release -DVELMORA_WERROR=$(WERROR) \
	  -DCMAKE_TOOLCHAIN_FILE=/opt/qt6-mingw/lib/cmake/Qt6/qt.toolchain.cmake \
	  -DQT_ADDITIONAL_PACKAGES_PREFIX_PATH=/opt/libxlsxwriter-mingw

windows: windows-configure
	cmake --build $(WINDOWS_BUILD) -j$(JOBS) --target velmora sony_idm velmora-report

# The Windows test program under Wine, offscreen; then velmora.exe itself under Wine on an Xvfb
# display; then the installer, silently. All in the build's own Wine prefix, WINDOWS_BUILD/wine.
windows-test: windows-package
	cmake --build $(WINDOWS_BUILD) -j$(JOBS) --target velmora_tests
	cd $(WINDOWS_BUILD) && WINEQT_QPA_PLATFORM=offscreen WINEQT_QPA_FONTDIR='C:\windows\Fonts' \
	  WINE_TIMEOUT=300 bash $(CURDIR)/scripts/wine.sh wine velmora_tests.exe
	WINEPREFIX=$(CURDIR)/$(WINDOWS_BUILD)/wine wineserver -w
	VELMORA=$(CURDIR)/$(WINDOWS_BUILD)/velmora.exe WINEPREFIX=$(CURDIR)/$(WINDOWS_BUILD)/wine \
	  bash tests/wine/first_start.sh
	WINEPREFIX=$(CURDIR)/$(WINDOWS_BUILD)/wine LINUX_REPORT=$(CURDIR)/$(TEST_BUILD)/bin/velmora-report \
	  bash tests/wine/installer.sh \
	  $(WINDOWS_BUILD)/velmora-$$(sed -n 's/^VELMORA_VERSION:INTERNAL=//p' $(WINDOWS_BUILD)/CMakeCache.txt)-setup.exe

# velmora.exe under Wine, in DATA as its working folder.
windows-run: windows
	mkdir -p "$(DATA)"
	cd "$(DATA)" && bash "$(CURDIR)/scripts/wine.sh" "$(CURDIR)/$(WINDOWS_BUILD)/wine" \
	  "$(CURDIR)/$(WINDOWS_BUILD)/velmora.exe"

# velmora-VERSION-windows-x64.zip in WINDOWS_BUILD: the programs, sony_idm.dll, the license
# and the quick start in Japanese (docs/windows-quickstart-ja.txt).
windows-package: windows
	bash scripts/package-windows.sh $(WINDOWS_BUILD)

# Pictures of the installer's pages at 96 and 120 dpi, in WINDOWS_BUILD/installer-pages.
windows-pages: windows-package
	WINEPREFIX=$(CURDIR)/$(WINDOWS_BUILD)/wine bash scripts/installer-pages.sh $(WINDOWS_BUILD)/velmora-$$(sed \
	  -n 's/^VELMORA_VERSION:INTERNAL=//p' $(WINDOWS_BUILD)/CMakeCache.txt)-setup.exe $(WINDOWS_BUILD)/installer-pages

# One format everywhere (.clang-format); CI refuses code that differs from it.
SOURCES = $(shell git ls-files '*.c' '*.cpp' '*.h')
format:
	clang-format -i $(SOURCES)

format-check:
	clang-format --dry-run -Werror $(SOURCES)

clean:
	rm -rf $(BUILD) $(TEST_BUILD) build-asan build-release build-fuzz $(WINDOWS_BUILD)
