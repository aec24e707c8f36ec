# Two entry points: `make run` and `make test`. Both install what is missing first.
BUILD ?= build
JOBS ?= 2
# Seconds each fuzzer runs in `make fuzz`.
FUZZ_SECONDS ?= 3600
CMAKE_FLAGS ?=

.PHONY: setup configure build run test unit fuzz fuzz-smoke bench clean

setup:
	@bash scripts/setup.sh

configure: setup
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j$(JOBS)

run: build
	@cd $(BUILD)/bin && ./norvane

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
