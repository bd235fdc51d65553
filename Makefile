# Thin wrappers around CMake; every target works from a clean clone.
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
# Sanitizer and fuzz builds: -O1 without debug info keeps their build time down.
SAN_FLAGS = -DCMAKE_BUILD_TYPE=None -DCMAKE_C_FLAGS=-O1 -DCMAKE_CXX_FLAGS=-O1 -DZUV_BUILD_BENCHMARKS=OFF

# Install prefix of `make install`.
PREFIX ?= /usr/local
# Groups of Debian packages that the target needs (scripts/install-deps holds the lists).
DEPS = build web

.PHONY: deps all demo test install deb bench fuzz asan tsan tsan-threaded clean

deps:
	scripts/install-deps $(DEPS)

all: deps
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j $(JOBS)

# The package on a simulated device: builds the tool and zuv.pck, runs `zuv demo`.
demo: deps
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j $(JOBS) --target zuv zuv_pck
	$(BUILD)/bin/zuv demo --out $(BUILD)/demo

# The suite checks the .deb and the Python module too.
test: DEPS = build package browser web python
test: all
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS) --timeout 600

# zuv in PREFIX/bin, zuv.pck and libzuvLib.so in PREFIX/lib/zuv, the Python
# module (where pybind11 is installed) in PREFIX/lib/python3/dist-packages/zuv.
install: deps
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j $(JOBS) --target zuv_installed
	cmake --install $(BUILD) --prefix $(PREFIX)

# $(BUILD)/zuv_VERSION_amd64.deb, for `apt install ./$(BUILD)/zuv_*.deb`.
deb: DEPS = build package web python
deb: deps
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j $(JOBS) --target zuv_installed
	cd $(BUILD) && cpack -G DEB

# Sanitizer builds of the whole suite.
asan:
	$(MAKE) test BUILD=build-asan CMAKE_FLAGS="-DZUV_SANITIZE=address,undefined $(SAN_FLAGS)"

tsan:
	$(MAKE) test BUILD=build-tsan CMAKE_FLAGS="-DZUV_SANITIZE=thread $(SAN_FLAGS)"

# CI runs the tests labelled "threaded" under TSan; `make tsan` runs everything.
tsan-threaded: deps
	cmake -S . -B build-tsan -G Ninja -DZUV_SANITIZE=thread $(SAN_FLAGS)
	cmake --build build-tsan -j $(JOBS)
	ctest --test-dir build-tsan --output-on-failure -j $(JOBS) --timeout 600 -L threaded

bench: all
	@for b in $(BUILD)/bin/bench_*; do echo "== $$b"; $$b --benchmark_min_time=0.5; done

# FUZZ_TOTAL_SECONDS shared by all targets (default 120).
fuzz: DEPS = build fuzz web
fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DZUV_FUZZ=ON -DZUV_BUILD_TESTS=OFF $(SAN_FLAGS)
	cmake --build build-fuzz -j $(JOBS)
	fuzz/run-all.sh build-fuzz $${FUZZ_TOTAL_SECONDS:-120}

clean:
	rm -rf build build-asan build-tsan build-fuzz
