# The two set-up commands: `make run` and `make test`. Both install what is
# missing (Debian packages), build and go. `make test` also checks the
# formatting, builds with -Werror and builds (without running) the benchmarks.
SHELL := /bin/bash
JOBS ?= $(shell nproc)

RUN_PACKAGES := cmake g++ make ninja-build qt6-base-dev qt6-svg-dev fonts-dejavu-core 64tass
TEST_PACKAGES := $(RUN_PACKAGES) libgtest-dev libbenchmark-dev clang-format xvfb xauth strace
BENCH_PACKAGES := $(RUN_PACKAGES) libbenchmark-dev
# ThreadSanitizer works with clang only here.
TSAN_PACKAGES := $(TEST_PACKAGES) clang libclang-rt-dev
FUZZ_PACKAGES := cmake clang libclang-rt-dev ninja-build 64tass qt6-base-dev qt6-svg-dev
# dpkg-shlibdeps (dpkg-dev) finds the .debs' dependencies; it needs file.
# rsvg-convert (librsvg2-bin) renders the icons.
PACKAGE_PACKAGES := $(RUN_PACKAGES) dpkg-dev file librsvg2-bin
# ccache makes the check's second build of the same commit cheap.
PACKAGE_CHECK_PACKAGES := $(PACKAGE_PACKAGES) lintian binutils man-db shared-mime-info ccache
# Every file in the .debs gets the last commit's time, so two builds of one
# commit give the same bytes (set it by hand to package a tree without git).
SOURCE_DATE_EPOCH ?= $(shell git log -1 --format=%ct 2>/dev/null)

.PHONY: run test tsan check-format bench fuzz fuzz-smoke package package-check build build-test \
	deps-run deps-test deps-tsan deps-bench deps-fuzz deps-package deps-package-check clean desktop-check \
	build-default mutate

run: deps-run build
	./build/pixolat

test: deps-test check-format build-test
	@tools/run_tests.sh build/test

# The tests that start threads, built with clang's ThreadSanitizer.
tsan: deps-tsan
	@tools/run_tsan.sh

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

# Mutation testing of the core tests (slow, not in CI): see README.md.
MUTATE_PATHS ?= src/edit src/render
MUTATE_SAMPLE ?= 100
# The conversion tests take most of a run and use nothing of edit or render.
MUTATE_FILTER ?= -PictureConversion.*
mutate: deps-test
	nice -n 19 tools/mutate.py --sample $(MUTATE_SAMPLE) --filter='$(MUTATE_FILTER)' $(MUTATE_PATHS)

# pixolat_VERSION_ARCH.deb (the editor) and pixolat-convert_VERSION_ARCH.deb
# (the converter alone) in this folder, for `apt install ./pixolat*.deb`.
package: deps-package
	cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DPIXOLAT_TESTS=OFF -DPIXOLAT_PACKAGE=ON
	cmake --build build -j $(JOBS)
	rm -f build/pixolat*.deb pixolat*.deb
	cd build && $(if $(SOURCE_DATE_EPOCH),SOURCE_DATE_EPOCH=$(SOURCE_DATE_EPOCH)) cpack -G DEB
	cp build/pixolat*.deb .

# Two packagings of the last commit in fresh trees: the copyright files, the
# changelogs, the hardening (readelf), the icons, lintian, identical bytes.
package-check: deps-package-check
	tools/check_package.sh

# The real editor under a virtual X server, driven with xdotool: first run,
# arrow keys, F1, and the settings written at close read back at the next start.
desktop-check: deps-run build
	tools/desktop_check.sh

build:
	cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DPIXOLAT_TESTS=OFF
	cmake --build build -j $(JOBS)

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
deps-tsan:
	@tools/install_packages.sh $(TSAN_PACKAGES)
deps-bench:
	@tools/install_packages.sh $(BENCH_PACKAGES)
deps-fuzz:
	@tools/install_packages.sh $(FUZZ_PACKAGES)
deps-package:
	@tools/install_packages.sh $(PACKAGE_PACKAGES)
deps-package-check:
	@tools/install_packages.sh $(PACKAGE_CHECK_PACKAGES)

clean:
	rm -rf build
