# Thin wrapper over CMake.
#   make run    build pedprep and run it on a copy of example/ (in build/run)
#   make test   build and run all tests
#   make asan   build and run all tests under AddressSanitizer and UBSan
#   make bench  optimised build, generated inputs, timings (not part of make test)
#   make install [PREFIX=/usr/local] [DESTDIR=]
#               the program (stripped), its manual page, its bash completion, the README and
#               the example under PREFIX
#   make package  pedprep_VERSION_ARCH.deb in this folder (CPack)
#   make windows  pedprep-VERSION-win64.zip in this folder: pedprep.exe cross-built with
#               mingw-w64 (build-windows), the README, the manual and the example
#   make test-windows  the tests built with mingw-w64 and run under wine
# `run` and `test` first install the Debian packages they need (as root) or say which; the
# other targets only say which are missing.
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
PREFIX ?= /usr/local
DESTDIR ?=
# A compiler cache, when the machine has one, makes rebuilds of other checkouts cheap.
LAUNCHER := $(if $(shell command -v ccache 2>/dev/null),-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
CONFIGURE = cmake -S . -B $(1) $(LAUNCHER) $(CMAKE_FLAGS) >/dev/null

.PHONY: all configure configure-windows build run test asan bench install package windows test-windows clean

all: build

# The one configure step of the optimised build; it installs nothing.
configure:
	$(call CONFIGURE,build) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: configure
	cmake --build build -j $(JOBS)

# Builds only the program, so it needs no GoogleTest and takes seconds.
run:
	@sh tools/need-packages.sh run
	@$(MAKE) --no-print-directory configure
	cmake --build build -j $(JOBS) --target pedprep
	rm -rf build/run && mkdir -p build/run && cp -r example/. build/run/
	cd build/run && ../pedprep </dev/null; echo "exit status $$?"
	@echo "--- output files in build/run:" && ls -l build/run

test:
	@sh tools/need-packages.sh test
	@$(MAKE) --no-print-directory build
	cd build && ctest --output-on-failure --no-tests=error -j $(JOBS)

asan:
	@sh tools/need-packages.sh test --check
	$(call CONFIGURE,build-asan) -DCMAKE_BUILD_TYPE=Debug -DPEDPREP_SANITIZE=ON
	cmake --build build-asan -j $(JOBS)
	cd build-asan && ctest --output-on-failure --no-tests=error -j $(JOBS)

bench:
	bash bench/run.sh

# The program and its generated manual page and completion, from the optimised build folder.
install: configure
	cmake --build build -j $(JOBS) --target pedprep pedprep_docs
	DESTDIR="$(DESTDIR)" cmake --install build --prefix "$(PREFIX)"

# Needs dpkg-dev (dpkg-shlibdeps); tools/need-packages.sh package says how to get it.
package: configure
	@sh tools/need-packages.sh package --check
	cmake --build build -j $(JOBS) --target pedprep pedprep_docs
	rm -f build/pedprep_*.deb pedprep_*.deb
	cd build && cpack -G DEB >/dev/null
	cp build/pedprep_*.deb .
	@ls pedprep_*.deb

# The Windows build (cmake/mingw-w64.cmake); wine runs the documents' generator and the
# tests, in a wine prefix of its own inside build-windows.
configure-windows:
	@sh tools/need-packages.sh windows
	$(call CONFIGURE,build-windows) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
	  -DCMAKE_BUILD_TYPE=Release

windows: configure-windows
	cmake --build build-windows -j $(JOBS) --target pedprep_zip
	cp build-windows/pedprep-*-win64.zip .
	@ls pedprep-*-win64.zip

# --verbose: the skipped tests' reasons are shown.
test-windows: configure-windows
	cmake --build build-windows -j $(JOBS)
	cd build-windows && ctest --verbose --no-tests=error

clean:
	rm -rf build build-asan build-bench build-windows pedprep_*.deb pedprep-*-win64.zip
