# Front door: `make run` opens the programmer on the simulated adapter, `make test` runs everything.
BUILD   := build
NATIVE  := $(BUILD)/native
SANITIZE := $(BUILD)/sanitize
WINDOWS := $(BUILD)/windows
JOBS    ?= 2

.PHONY: deps native sanitize windows unit e2e test run bench fuzz format clean

deps:
	@sh scripts/install-deps.sh

native: deps
	@cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(NATIVE) -j $(JOBS)

sanitize: deps
	@cmake -S . -B $(SANITIZE) -DCMAKE_BUILD_TYPE=Debug -DTRV_SANITIZE=ON >/dev/null
	@cmake --build $(SANITIZE) -j $(JOBS)

windows: deps
	@cmake -S . -B $(WINDOWS) -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-i686.cmake >/dev/null
	@cmake --build $(WINDOWS) -j $(JOBS)

unit: native sanitize
	@ctest --test-dir $(NATIVE) --output-on-failure -j $(JOBS)
	@ctest --test-dir $(SANITIZE) --output-on-failure -j $(JOBS)

e2e: windows
	@sh tests/e2e/run.sh

test: unit e2e

run: windows
	@sh scripts/run.sh

bench: native
	@$(NATIVE)/bench/programming_bench

format:
	@clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD)
