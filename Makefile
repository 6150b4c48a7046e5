# Velmora: `make` builds the programs, `make run` starts the time clock, `make demo` tries it
# with example cards, `make test` runs every test.

# The programs alone in APP_BUILD (for make, run, demo, package); with every test in BUILD.
APP_BUILD ?= build-app
BUILD ?= build
DATA ?= data
BUILD_TYPE ?= RelWithDebInfo
JOBS ?= $(shell nproc)
# CI builds with warnings as errors.
WERROR := $(if $(CI),ON,OFF)

FUZZ_SECONDS ?= 60
FUZZ_TARGETS := fields cp932 records registry

.PHONY: all app setup configure build run demo package test test-asan bench fuzz screenshots \
	format format-check clean

all: app

# The Debian packages to build and run the programs; setup adds those of the tests.
app:
	bash scripts/setup.sh run build
	cmake -S . -B $(APP_BUILD) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DVELMORA_TESTS=OFF \
	  -DVELMORA_WERROR=$(WERROR)
	cmake --build $(APP_BUILD) -j$(JOBS)

run: app
	mkdir -p "$(DATA)"
	cd "$(DATA)" && "$(CURDIR)/$(APP_BUILD)/bin/velmora"

# The time clock in demo/: a shared PC with two example cards and a virtual card reader.
demo: app
	bash scripts/demo.sh "$(APP_BUILD)/bin/velmora" demo

# The Debian package, in APP_BUILD.
package: app
	cd $(APP_BUILD) && cpack -G DEB

setup:
	bash scripts/setup.sh run build test

configure: setup
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DVELMORA_WERROR=$(WERROR)

build: configure
	cmake --build $(BUILD) -j$(JOBS)

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS)

# The whole suite again with AddressSanitizer and UndefinedBehaviorSanitizer.
test-asan: setup
	cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DVELMORA_SANITIZE=ON -DVELMORA_WERROR=$(WERROR)
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

screenshots: build
	bash scripts/screenshots.sh $(BUILD)/bin/velmora docs

# One format everywhere (.clang-format); CI refuses code that differs from it.
SOURCES = $(shell git ls-files '*.c' '*.cpp' '*.h')
format:
	clang-format -i $(SOURCES)

format-check:
	clang-format --dry-run -Werror $(SOURCES)

clean:
	rm -rf $(APP_BUILD) $(BUILD) build-asan build-release build-fuzz
