# Thin wrapper over CMake: `make run` and `make test` are all a user needs.
# Each build kind is a preset of CMakePresets.json, built in build-<preset>
# (the default one in build).
.PHONY: all build deps run test asan-test valgrind-test fuzz bench format format-check tidy python-bench clean

all: build

# Extra CMake settings, e.g. CMAKE_ARGS=-DTKV_WERROR=ON
CMAKE_ARGS ?=
JOBS ?= $(shell nproc)
# The build's own makes need not announce every directory they enter.
MAKEFLAGS += --no-print-directory

# A tool found by its name, or else by the newest versioned name
# (clang-format-19 ...), so that any Debian release's LLVM will do.
find_tool = $(or $(shell command -v $(1)),$(shell ls -v /usr/bin/$(1)-[0-9]* 2>/dev/null | tail -n1),$(1))
CLANG_FORMAT ?= $(call find_tool,clang-format)
RUN_CLANG_TIDY ?= $(call find_tool,run-clang-tidy)
CLANG ?= $(call find_tool,clang)
CLANGXX ?= $(call find_tool,clang++)
CLANG_COMPILERS = -DCMAKE_C_COMPILER=$(CLANG) -DCMAKE_CXX_COMPILER=$(CLANGXX)

# Configures preset $(1) and builds it, or only the targets $(2).
preset = cmake --preset $(1) $(3) $(CMAKE_ARGS) >/dev/null && \
  cmake --build --preset $(1) -j$(JOBS) $(if $(2),--target $(2))

build:
	$(call preset,default)

# Only what the console on the simulated controller needs.
run:
	$(call preset,default,tkvcon-sim)
	./build/bin/tkvcon-sim

# What debian/control's Build-Depends lists, installed when some is missing
# (as root, or through a sudo that asks no password): the test run builds
# and tests every part, and a part that cannot be built stops it.
deps:
	@scripts/build-deps

test: deps
	$(call preset,default,,-DTKV_REQUIRE_ALL=ON)
	ctest --preset default -j$(JOBS)

# The sanitizer build (clang) has the fuzz targets too.
asan-test:
	$(call preset,asan,,$(CLANG_COMPILERS))
	ctest --preset asan -j$(JOBS)

# The console, one-shot and tkvtool tests of the default build (label
# "programs") with the programs under valgrind's memcheck: any report changes
# the program's exit status and output, so the test fails.  The system's
# programs that a test's shell runs (wc, sleep ...) are not traced, and the
# inlined frames of reports are left out: reading them slows every start.
VALGRIND = valgrind -q --error-exitcode=99 --trace-children=yes --trace-children-skip=/usr/bin/*,/bin/* --leak-check=full --errors-for-leak-kinds=definite --read-inline-info=no
valgrind-test: build
	TKV_TEST_WRAPPER="$$(command -v valgrind) $(wordlist 2,99,$(VALGRIND))" ctest --preset default -L programs -j$(JOBS)

# The libFuzzer targets of the sanitizer build, FUZZ_SECONDS each.
FUZZ_SECONDS ?= 60
fuzz:
	$(call preset,asan,fuzz_targets,$(CLANG_COMPILERS))
	fuzz/run build-asan $(FUZZ_SECONDS)

# Benchmarks: each figure beside its baseline, then their ratios.
bench:
	$(call preset,bench)
	./build-bench/bin/tkv_bench
	/usr/bin/python3 bench/web_bench.py build-bench/bin

# Every C and C++ source of the tree, for the style check.
SOURCES = $(shell git ls-files '*.c' '*.cpp' '*.h')
format:
	$(CLANG_FORMAT) -i $(SOURCES)
format-check:
	@$(CLANG_FORMAT) --dry-run --Werror $(SOURCES) && echo "$(words $(SOURCES)) files follow .clang-format"

# Static analysis of every compiled source (the tests' aside) with clang-tidy
# and cppcheck; only the compile commands and the sources generated from the
# register maps are needed.
tidy:
	cmake --preset tidy $(CLANG_COMPILERS) $(CMAKE_ARGS) >/dev/null
	cmake --build build-tidy --target tkv_regmap_offsets tkv_shipped_regmaps >/dev/null
	$(RUN_CLANG_TIDY) -quiet -p build-tidy '(lib|common|console|sim|client|tool|web|python|examples)/' >build-tidy/clang-tidy.log 2>&1 || \
	  { grep -E 'warning:|error:' build-tidy/clang-tidy.log; exit 1; }
	cppcheck --project=build-tidy/compile_commands.json --enable=warning,style,performance,portability \
	  --inline-suppr --suppressions-list=.cppcheck-suppressions --error-exitcode=1 --quiet -i tests

# The Python module against the same requests made from C, on the simulator.
python-bench: build
	TKVSIM_STATE= PYTHONPATH=build/lib/python3/dist-packages ./build/bin/tkvsim-run \
	  /usr/bin/python3 python/bench/compare.py build/python/tkv_python_bench

clean:
	rm -rf build build-asan build-bench build-tidy
