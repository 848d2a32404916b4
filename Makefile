# Front door: `make run` opens the programmer on the simulated adapter, `make test` runs everything.
BUILD   := build
NATIVE  := $(BUILD)/native
SANITIZE := $(BUILD)/sanitize
WINDOWS := $(BUILD)/windows
WINDOWS_TESTS := $(BUILD)/windows-tests
FUZZ    := $(BUILD)/fuzz
FUZZ_SECONDS ?= 60
JOBS    ?= 2
MAKEFLAGS += --no-print-directory

.PHONY: deps native sanitize windows-configure windows windows-tests unit e2e win32-tests test run run-check \
  bench fuzz fuzz-build format format-check dist reproducible guide-screenshots clean

deps:
	@sh scripts/install-deps.sh

native: deps
	@cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(NATIVE) -j $(JOBS)

sanitize: deps
	@cmake -S . -B $(SANITIZE) -DCMAKE_BUILD_TYPE=Debug -DTRV_SANITIZE=ON >/dev/null
	@cmake --build $(SANITIZE) -j $(JOBS)

# Configured at every call, so the program's version follows the latest commit and tag.
windows-configure: deps
	@cmake -S . -B $(WINDOWS) -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-i686.cmake >/dev/null

windows: windows-configure
	@cmake --build $(WINDOWS) -j $(JOBS)

# The Windows tests and the end-to-end driver, in a tree of their own: GoogleTest needs the
# posix-thread compiler, which the program is not built with. Both work on the program's build.
windows-tests: deps
	@cmake -S . -B $(WINDOWS_TESTS) -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-i686-posix.cmake -DTRV_WINDOWS_TREE=tests \
	  -DTRV_WINDOWS_PROGRAM=$(CURDIR)/$(WINDOWS)/TRV2KFlash.exe >/dev/null
	@cmake --build $(WINDOWS_TESTS) -j $(JOBS) --target windows_tests

# The native tiers.
unit: native sanitize
	@ctest --test-dir $(NATIVE) --output-on-failure -j $(JOBS)
	@ctest --test-dir $(SANITIZE) --output-on-failure -j $(JOBS)

# The end-to-end scenarios, then the Windows tests, under Wine. GROUP="<group> ..." runs only those
# groups of scenarios (see tests/e2e/README.md).
e2e: windows windows-tests
	@sh tests/e2e/run.sh $(GROUP)

# The Windows tests alone; FILTER='<GoogleTest filter>' runs only those, e.g. FILTER='Form.*'.
win32-tests: windows windows-tests
	@sh tests/e2e/run.sh --win32 $(if $(FILTER),'--gtest_filter=$(FILTER)')

fuzz-build: deps
	@cmake -S . -B $(FUZZ) -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DTRV_FUZZ=ON >/dev/null
	@cmake --build $(FUZZ) -j $(JOBS) --target fuzz_programming_run

# Grows its own corpus under build/ from the committed seeds; FUZZ_SECONDS=N sets how long.
fuzz: fuzz-build
	@mkdir -p $(FUZZ)/corpus
	@echo "fuzzing the programming run for $(FUZZ_SECONDS) s"
	@$(FUZZ)/tests/robustness/fuzz_programming_run -max_total_time=$(FUZZ_SECONDS) -max_len=1024 -len_control=0 \
	  -print_final_stats=1 -artifact_prefix=$(FUZZ)/ $(FUZZ)/corpus tests/robustness/corpus \
	  >$(FUZZ)/fuzz.log 2>&1 || { tail -40 $(FUZZ)/fuzz.log; exit 1; }
	@grep -E '^(Done|stat::number_of_executed_units|stat::new_units_added)' $(FUZZ)/fuzz.log

test:
	@$(MAKE) windows
	@$(MAKE) unit
	@$(MAKE) fuzz
	@$(MAKE) e2e
	@$(MAKE) reproducible

# build/dist/TRV2KFlash-<version>-win32.zip: the programmer and the check, the operator's guide, a
# README, the change list, SHA256SUMS.txt.
# With SIGN_CERT=<certificate PEM> SIGN_KEY=<key PEM> (and SIGN_KEY_PASS=<pass phrase file>) the
# programs in it are signed; see README.md.
dist: windows-configure
	@cmake --build $(WINDOWS) -j $(JOBS) --target TRV2KFlash TRV2KCheck
	@SIGN_CERT='$(SIGN_CERT)' SIGN_KEY='$(SIGN_KEY)' SIGN_KEY_PASS='$(SIGN_KEY_PASS)' \
	  sh scripts/make-dist.sh $(WINDOWS)

# Builds the release from two fresh clones of HEAD in two folders and compares them byte by byte.
reproducible: deps
	@sh scripts/check-reproducible.sh

# The guide's pictures, from the real program under Wine on the simulated adapter, into docs/images.
guide-screenshots: windows
	@sh scripts/run.sh guide

run: windows
	@sh scripts/run.sh

# The adapter and chip check on the simulated adapter; WIRING=chip (the default), loopback or open.
WIRING ?= chip
run-check: windows
	@sh scripts/run.sh check $(WIRING)

bench: native
	@$(NATIVE)/bench/programming_bench

format:
	@clang-format -i $$(git ls-files '*.cpp' '*.h')

format-check: deps
	@clang-format --dry-run --Werror $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD)
