# The two set-up commands: `make run` and `make test`. Both install what is
# missing (Debian packages), build and go. `make test` also checks the
# formatting, builds with -Werror and builds (without running) the benchmarks.
SHELL := /bin/bash
JOBS ?= $(shell nproc)

RUN_PACKAGES := cmake g++ make ninja-build qt6-base-dev qt6-svg-dev fonts-dejavu-core 64tass
TEST_PACKAGES := $(RUN_PACKAGES) libgtest-dev libbenchmark-dev clang-format xvfb xauth strace
BENCH_PACKAGES := $(RUN_PACKAGES) libbenchmark-dev
FUZZ_PACKAGES := cmake clang libclang-rt-dev ninja-build 64tass qt6-base-dev qt6-svg-dev
# dpkg-shlibdeps (dpkg-dev) finds the .deb's dependencies; it needs file.
PACKAGE_PACKAGES := $(RUN_PACKAGES) dpkg-dev file

.PHONY: run test check-format bench fuzz fuzz-smoke package build build-test deps-run \
	deps-test deps-bench deps-fuzz deps-package clean desktop-check build-default

run: deps-run build
	./build/pixolat

test: deps-test check-format build-test
	@tools/run_tests.sh build/test

check-format:
	@tools/check_format.sh

bench: deps-bench
	cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DPIXOLAT_TESTS=OFF -DPIXOLAT_BENCH=ON
	cmake --build build -j $(JOBS) --target pixolat_bench
	tools/run_bench.sh build

fuzz: deps-fuzz
	tools/run_fuzz.sh

# Every fuzz target for 10 seconds: a quick check for CI.
fuzz-smoke: deps-fuzz
	FUZZ_SECONDS=10 tools/run_fuzz.sh

# pixolat_VERSION_ARCH.deb in this folder, for `apt install ./pixolat_*.deb`.
package: deps-package build
	cd build && cpack -G DEB
	cp build/pixolat_*.deb .

# The real editor under a virtual X server, driven with xdotool: first run,
# arrow keys, F1, and the settings written at close read back at the next start.
desktop-check: deps-run build
	tools/desktop_check.sh

build:
	cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DPIXOLAT_TESTS=OFF
	cmake --build build -j $(JOBS) --target pixolat pixolat-convert pixolat_man_pages

# The default generator, as packagers and IDEs run CMake (Unix Makefiles
# here): the core layers, their include checks and the converter, no tests.
build-default: deps-run
	cmake -S . -B build/default -DCMAKE_BUILD_TYPE=Release -DPIXOLAT_TESTS=OFF -DPIXOLAT_GUI=OFF
	cmake --build build/default -j $(JOBS)

build-test:
	cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPIXOLAT_SANITIZE=ON \
		-DPIXOLAT_WERROR=ON -DPIXOLAT_BENCH=ON
	cmake --build build/test -j $(JOBS)

deps-run:
	@tools/install_packages.sh $(RUN_PACKAGES)
deps-test:
	@tools/install_packages.sh $(TEST_PACKAGES)
deps-bench:
	@tools/install_packages.sh $(BENCH_PACKAGES)
deps-fuzz:
	@tools/install_packages.sh $(FUZZ_PACKAGES)
deps-package:
	@tools/install_packages.sh $(PACKAGE_PACKAGES)

clean:
	rm -rf build
