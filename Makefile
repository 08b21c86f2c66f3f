# Quick start: `make run` starts Kestrel on the demo locations, `make test`
# builds everything and runs every test. `make install PREFIX=P` (DESTDIR
# honoured), `make uninstall` and `make package` (a .deb) install it.
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo
DEMO ?= $(BUILD)/demo
PREFIX ?= /usr/local

.PHONY: all deps configure build test run demo bench fuzz clean install uninstall package

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

install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"

uninstall:
	DESTDIR="$(DESTDIR)" cmake -DMANIFEST="$(abspath $(BUILD))/install_manifest.txt" -P dist/uninstall.cmake

package: build
	@KESTREL_PACKAGE=1 bash scripts/deps
	cd $(BUILD) && cpack -G DEB

clean:
	rm -rf $(BUILD) $(BUILD)-fuzz
