# The two set-up commands: `make run` and `make test`. Both install what is
# missing (Debian packages), build and go. `make test` also checks the
# formatting, builds with -Werror and builds (without running) the benchmarks.
SHELL := /bin/bash
JOBS ?= $(shell nproc)

RUN_PACKAGES := cmake g++ make ninja-build qt6-base-dev qt6-svg-dev fonts-dejavu-core 64tass
# The assemblers the source text's dialects are proved with.
ASSEMBLER_PACKAGES := 64tass acme cc65 xa65 dasm
TEST_PACKAGES := $(RUN_PACKAGES) libgtest-dev libbenchmark-dev clang-format xvfb xauth strace xdotool \
	$(ASSEMBLER_PACKAGES) python3
BENCH_PACKAGES := $(RUN_PACKAGES) libbenchmark-dev
# ThreadSanitizer works with clang only here.
TSAN_PACKAGES := $(TEST_PACKAGES) clang libclang-rt-dev
FUZZ_PACKAGES := cmake clang libclang-rt-dev ninja-build 64tass qt6-base-dev qt6-svg-dev
# The Debian packages build in a root of their own (mmdebstrap); the host
# only makes the source tarballs and runs lintian.
DEB_PACKAGES := git xz-utils mmdebstrap lintian
# The check also looks into the packages and runs the converter from them.
DEB_CHECK_PACKAGES := $(DEB_PACKAGES) $(RUN_PACKAGES) binutils file man-db shared-mime-info \
	librsvg2-bin
# Files that carry a time into what is built (rcc's resources) get the last
# commit's, so two builds of one commit give the same bytes (set it by hand
# to build a tree without git).
SOURCE_DATE_EPOCH ?= $(shell git log -1 --format=%ct 2>/dev/null)
export SOURCE_DATE_EPOCH

.PHONY: run test tsan check-format test-assemblers bench fuzz fuzz-smoke deb deb-check build build-test \
	deps-run deps-test deps-tsan deps-bench deps-fuzz deps-deb deps-deb-check clean desktop-check \
	build-default mutate emulator-check

run: deps-run build
	./build/pixolat

test: deps-test check-format build-test
	@tools/run_tests.sh build/test

# Runnable exports (DFLI, hires, multicolor) on the emulated Plus/4 against the
# editor's view; `make test` runs it too where ../shared/tools/plus4emu is.
emulator-check: deps-test build-test
	PIXOLAT_CONVERT=build/test/pixolat-convert tools/check_runnable_on_emulator.sh build/emulator-check

# The tests that start threads, built with clang's ThreadSanitizer.
tsan: deps-tsan
	@tools/run_tsan.sh

check-format:
	@tools/check_format.sh

# Every dialect of 200 random stores through its assembler (make test runs 24).
test-assemblers: deps-test build-test
	PIXOLAT_ASSEMBLER_STORES=200 build/test/pixolat_tests --gtest_filter='Assemblers.*'

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

# The Debian source package of the last commit and its three binary
# packages (pixolat, pixolat-convert, pixolat-picture-codec, and their
# -dbgsym), built in a clean bookworm root into build/deb, then lintian.
# Needs root and Debian's mirror; the root is kept in build/deb-root.
deb: deps-deb
	tools/build_deb.sh

# Two clones of the last commit in different folders, checked out at
# different times, each through `make deb`: identical bytes for every
# package, and what is in them checked (hardening, icons, manual page, ...).
deb-check: deps-deb-check
	tools/check_deb.sh

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
deps-deb:
	@tools/install_packages.sh $(DEB_PACKAGES)
deps-deb-check:
	@tools/install_packages.sh $(DEB_CHECK_PACKAGES)

clean:
	rm -rf build
