# Quick start: `make run` starts Kestrel on the demo locations, `make test`
# builds everything and runs every test.
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo
DEMO ?= $(BUILD)/demo

.PHONY: all deps configure build test run demo bench fuzz clean

all: build

deps:
	@bash scripts/deps

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)

configure: deps $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) --timeout 600

demo: build
	$(BUILD)/bin/kestrel-samples $(DEMO)

run: demo
	@bash scripts/run "$(BUILD)" "$(DEMO)"

bench: build
	@bash scripts/bench "$(BUILD)"

fuzz: deps
	cmake -S . -B $(BUILD)-fuzz -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKESTREL_FUZZ=ON -DKESTREL_GUI=OFF \
		-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
	cmake --build $(BUILD)-fuzz -j $(JOBS)
	@bash scripts/fuzz "$(BUILD)-fuzz"

clean:
	rm -rf $(BUILD) $(BUILD)-fuzz
