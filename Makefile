# Thin wrapper over CMake: `make run` and `make test` are all a user needs.
.PHONY: all build run test asan-test valgrind-test fuzz bench python-bench clean

all: build

# Extra CMake settings, e.g. CMAKE_ARGS=-DTKV_WERROR=ON
CMAKE_ARGS ?=

build:
	cmake --preset default $(CMAKE_ARGS) >/dev/null
	cmake --build build -j$$(nproc)

run: build
	./build/bin/tkvcon-sim

test: build
	ctest --test-dir build --output-on-failure -j$$(nproc)

asan-test:
	cmake --preset asan $(CMAKE_ARGS) >/dev/null
	cmake --build build-asan -j$$(nproc)
	ctest --test-dir build-asan --output-on-failure -j$$(nproc)

# The console and one-shot tests with tkvcon under valgrind's memcheck: any
# report changes the program's exit status and output, so the test fails.
VALGRIND = valgrind -q --error-exitcode=99 --trace-children=yes --leak-check=full --errors-for-leak-kinds=definite
valgrind-test:
	cmake -S . -B build-valgrind $(CMAKE_ARGS) >/dev/null
	cmake --build build-valgrind -j$$(nproc)
	TKV_TEST_WRAPPER="$$(command -v valgrind) $(wordlist 2,99,$(VALGRIND))" ./build-valgrind/bin/tkv_console_tests

# libFuzzer targets under clang with AddressSanitizer and UBSan, FUZZ_SECONDS each.
FUZZ_SECONDS ?= 60
fuzz:
	cmake -S . -B build-fuzz -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
	  -DTKV_FUZZ=ON -DTKV_SANITIZE=ON -DTKV_TESTS=OFF $(CMAKE_ARGS) >/dev/null
	cmake --build build-fuzz -j$$(nproc)
	fuzz/run build-fuzz $(FUZZ_SECONDS)

# Benchmarks: each figure beside its baseline, then their ratios.
bench:
	cmake -S . -B build-bench -DTKV_BENCH=ON -DTKV_TESTS=OFF $(CMAKE_ARGS) >/dev/null
	cmake --build build-bench -j$$(nproc)
	./build-bench/bin/tkv_bench

# The Python module against the same requests made from C, on the simulator.
python-bench: build
	TKVSIM_STATE= PYTHONPATH=build/lib/python3/dist-packages ./build/bin/tkvsim-run \
	  /usr/bin/python3 python/bench/compare.py build/python/tkv_python_bench

clean:
	rm -rf build build-asan build-ci build-fuzz build-bench build-valgrind build-tidy
