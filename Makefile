# Two entry points: `make demo` and `make test`. Both install what they need first.
JOBS ?= $(shell nproc)
BUILD ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
TSAN_BUILD ?= build-tsan
WIN_BUILD ?= build-win
FUZZ_SECONDS ?= 60

# ccache, where the machine has it, makes rebuilds in a fresh clone cheap; nothing depends on it.
# Paths inside the clone are hashed relative to it, so clones in other folders share the cache.
CCACHE := $(shell command -v ccache 2>/dev/null)
ifneq ($(CCACHE),)
export CCACHE_BASEDIR := $(CURDIR)
export CCACHE_NOHASHDIR := 1
LAUNCHER := -DCMAKE_C_COMPILER_LAUNCHER=$(CCACHE) -DCMAKE_CXX_COMPILER_LAUNCHER=$(CCACHE)
endif

.PHONY: deps deps-bench configure build demo test test-release test-asan test-tsan test-fuzz test-windows windows fuzz bench bench-windows format clean

deps:
	bash scripts/install-deps.sh

# What only the benchmarks need: the other equaliser to compare with and the host library for it.
deps-bench:
	bash scripts/install-deps.sh bench

configure: deps
	cmake -S . -B $(BUILD) $(LAUNCHER) -DCMAKE_BUILD_TYPE=Release

build: configure
	cmake --build $(BUILD) -j$(JOBS)

demo: build
	bash scripts/demo.sh $(BUILD)

test-release: build
	ctest --test-dir $(BUILD) --output-on-failure -j$(JOBS)

test-asan: deps
	cmake -S . -B $(ASAN_BUILD) $(LAUNCHER) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVO_SANITIZE=ON -DTARVO_BUILD_BENCH=OFF
	cmake --build $(ASAN_BUILD) -j$(JOBS)
	LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan-suppressions.txt ctest --test-dir $(ASAN_BUILD) --output-on-failure -j$(JOBS)

# The concurrency tests (label tsan), and only what they need, built with ThreadSanitizer.
test-tsan: deps
	cmake -S . -B $(TSAN_BUILD) $(LAUNCHER) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVO_TSAN=ON -DTARVO_BUILD_BENCH=OFF
	cmake --build $(TSAN_BUILD) -j$(JOBS) --target tarvo_tsan_tests
	ctest --test-dir $(TSAN_BUILD) --output-on-failure -j$(JOBS) -L tsan

test-fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) $(LAUNCHER) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVO_FUZZ=ON -DTARVO_FUZZ_SECONDS=5
	cmake --build $(FUZZ_BUILD) -j$(JOBS)
	ctest --test-dir $(FUZZ_BUILD) --output-on-failure -L fuzz

# The Windows bundle, cross-built with mingw-w64. Its images come from the Linux build's skin
# generator; the Linux host, module and editor snapshot are what its tests under Wine compare
# against.
windows: configure
	cmake --build $(BUILD) -j$(JOBS) --target tarvo_skin vst3host Tarvo tarvo-preset-dump \
	  tarvo-snapshot tarvo-image-compare
	cmake -S . -B $(WIN_BUILD) $(LAUNCHER) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
	  -DCMAKE_BUILD_TYPE=Release -DTARVO_HOST_BUILD=$(CURDIR)/$(BUILD)
	cmake --build $(WIN_BUILD) -j$(JOBS)

test-windows: windows
	ctest --test-dir $(WIN_BUILD) --output-on-failure -j$(JOBS)

# The whole suite: release build, sanitizer builds, fuzz smoke runs, the Windows build under Wine.
test: test-asan test-tsan test-fuzz test-release test-windows

# Each fuzz target for FUZZ_SECONDS on its corpus; findings land in build-fuzz/fuzz-work.
fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) $(LAUNCHER) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVO_FUZZ=ON
	cmake --build $(FUZZ_BUILD) -j$(JOBS)
	bash scripts/fuzz.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

# The block routine against a bare cascade, instructions per frame under callgrind, the editor's
# redraw at scales 1 and 2 and its idle cost with meters moving, and Tarvo through its module
# beside LSP's equaliser.
bench: deps-bench build
	$(BUILD)/bench/product/tarvo_product_bench
	valgrind --tool=callgrind --callgrind-out-file=$(BUILD)/callgrind.200 --toggle-collect='Tarvo::ProcessDoubleReplacing*' $(BUILD)/bench/product/tarvo_process_frames 200 2>&1 | grep Collected
	valgrind --tool=callgrind --callgrind-out-file=$(BUILD)/callgrind.400 --toggle-collect='Tarvo::ProcessDoubleReplacing*' $(BUILD)/bench/product/tarvo_process_frames 400 2>&1 | grep Collected
	$(BUILD)/tools/vst3host/vst3host bench $(BUILD)/Tarvo.vst3 --seconds 10
	$(BUILD)/bench/gui/tarvo_editor_bench
	bash bench/gui/idle.sh $(BUILD)
	bash bench/sidebyside/compare.sh $(BUILD)

# The Windows editor's redraw tick and idle CPU under Wine, on a private X server.
bench-windows: windows
	bash scripts/xvfb.sh bash bench/windows/idle-wine.sh $(WIN_BUILD)

format:
	git ls-files '*.h' '*.cpp' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD) $(FUZZ_BUILD) $(WIN_BUILD) out
