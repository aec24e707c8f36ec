# Entry points: `make run`, `make test` and `make package`. Each installs what it needs
# first: `run` and `package` only what building and running need, `test` also what the
# tests, benchmarks and fuzzers use.
BUILD ?= build
JOBS ?= 2
# Seconds each fuzzer runs in `make fuzz`.
FUZZ_SECONDS ?= 3600
CMAKE_FLAGS ?=

.PHONY: setup setup-run configure build run package test unit fuzz fuzz-smoke bench clean

setup:
	@bash scripts/setup.sh test

setup-run:
	@bash scripts/setup.sh run

# A build folder made by `make run` has no tests until `make test` turns them on.
configure: setup
	@cmake -S . -B $(BUILD) -DNORVANE_WITH_TESTS=ON $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j$(JOBS)

run: setup-run
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD) -j$(JOBS) --target norvane
	@cd $(BUILD)/bin && ./norvane

# The Debian packages norvane and norvane-update-server, in $(BUILD)/packages.
package: setup-run
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD) -j$(JOBS) --target norvane norvane-cli norvane-update-server norvane_package_files
	@cd $(BUILD) && cpack -G DEB -B packages >/dev/null
	@ls $(BUILD)/packages/*.deb

test: build
	@bash scripts/run-tests.sh $(BUILD)

fuzz: setup
	@bash scripts/fuzz.sh long $(FUZZ_SECONDS)

fuzz-smoke: setup
	@bash scripts/fuzz.sh smoke

bench: configure
	@cmake --build $(BUILD) -j$(JOBS) --target benchmarks
	@bash scripts/bench.sh $(BUILD)

clean:
	@rm -rf $(BUILD) build-fuzz build-asan
