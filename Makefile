# Two entry points: `make demo` and `make test`. Both install what they need first.
JOBS ?= $(shell nproc)
BUILD ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60

.PHONY: deps configure build demo test test-release test-asan test-fuzz fuzz bench format clean

deps:
	bash scripts/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release

build: configure
	cmake --build $(BUILD) -j$(JOBS)

demo: build
	bash scripts/demo.sh $(BUILD)

test-release: build
	ctest --test-dir $(BUILD) --output-on-failure -j$(JOBS)

test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVO_SANITIZE=ON -DTARVO_BUILD_BENCH=OFF
	cmake --build $(ASAN_BUILD) -j$(JOBS)
	ctest --test-dir $(ASAN_BUILD) --output-on-failure -j$(JOBS)

test-fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVO_FUZZ=ON -DTARVO_FUZZ_SECONDS=5
	cmake --build $(FUZZ_BUILD) -j$(JOBS)
	ctest --test-dir $(FUZZ_BUILD) --output-on-failure -L fuzz

# The whole suite: release build, sanitizer build, fuzz smoke runs.
test: test-asan test-fuzz test-release

# Each fuzz target for FUZZ_SECONDS on its corpus; findings land in build-fuzz/fuzz-work.
fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVO_FUZZ=ON -DTARVO_FUZZ_SECONDS=$(FUZZ_SECONDS)
	cmake --build $(FUZZ_BUILD) -j$(JOBS)
	ctest --test-dir $(FUZZ_BUILD) --output-on-failure -L fuzz -V | grep -E 'stat::number_of_executed_units|Test #|Passed|Failed|ERROR' || true
	ctest --test-dir $(FUZZ_BUILD) -L fuzz --rerun-failed --output-on-failure 2>/dev/null | tail -n 3 || true

bench: build
	bash scripts/bench.sh $(BUILD)

format:
	git ls-files '*.h' '*.cpp' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) out
