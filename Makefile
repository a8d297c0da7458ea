# Thin wrapper over CMake.
#   make run    build pedprep and run it on a copy of example/ (in build/run)
#   make test   build and run all tests
#   make asan   build and run all tests under AddressSanitizer and UBSan
#   make bench  optimised build, generated inputs, timings (not part of make test)
JOBS ?= $(shell nproc)

.PHONY: all build run test asan bench clean

all: build

build:
	cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	cmake --build build -j $(JOBS)

run: build
	rm -rf build/run && mkdir -p build/run && cp -r example/. build/run/
	cd build/run && ../pedprep </dev/null; echo "exit status $$?"
	@echo "--- output files in build/run:" && ls -l build/run

test: build
	cd build && ctest --output-on-failure -j $(JOBS)

asan:
	cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DPEDPREP_SANITIZE=ON >/dev/null
	cmake --build build-asan -j $(JOBS)
	cd build-asan && ctest --output-on-failure -j $(JOBS)

bench:
	bash bench/run.sh

clean:
	rm -rf build build-asan build-bench
