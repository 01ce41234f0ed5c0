# Two commands for a fresh Debian 12 machine, run as root:
#   make run    installs what is missing, builds, starts the program
#   make test   installs what is missing, builds, runs every test
# and a few more:
#   make screenshot  paints both pictures on a private display into docs/scene.png
#   make package     builds the Debian package into build/package/
#   make storm       the input storm with a fresh seed (SEED=N replays one)
#   make web         builds the web page into build-web/site and serves it on 127.0.0.1
#   make bench-web   the page's speed, weight and start in each browser engine beside the desktop's
#   make windows     cross-compiles the program for Windows into build-windows/tuxing.exe
#   make bench-windows  one click's time in tuxing.exe under Wine beside the desktop's

BUILD_DIR := build
SANITIZE_DIR := build-sanitize
CMAKE_FLAGS := -G Ninja -DCMAKE_BUILD_TYPE=Release

.PHONY: run test build deps bench sanitize screenshot package storm clean web web-build bench-web windows bench-windows

deps:
	@bash scripts/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD_DIR) $(CMAKE_FLAGS) > /dev/null
	@cmake --build $(BUILD_DIR)

# Without a reachable display this paints both pictures on a private one and
# saves the window as $(BUILD_DIR)/scene.png instead.
run: build
	@scripts/run.sh $(BUILD_DIR)/tuxing $(BUILD_DIR)/scene.png

screenshot: build
	@scripts/screenshot.sh $(BUILD_DIR)/tuxing docs/scene.png

package: deps
	@scripts/package.sh $(BUILD_DIR)/package

# The page is a static folder that any web server can serve; this one is
# Python's, on PORT.
WEB_DIR := build-web
PORT ?= 8000

web-build: deps
	@cmake -S . -B $(WEB_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release \
		-DCMAKE_TOOLCHAIN_FILE=$$(em-config EMSCRIPTEN_ROOT)/cmake/Modules/Platform/Emscripten.cmake > /dev/null
	@cmake --build $(WEB_DIR)

web: web-build
	@echo "The page is at http://127.0.0.1:$(PORT)/ (Ctrl+C stops serving it)"
	@/usr/bin/python3 -m http.server --bind 127.0.0.1 --directory $(WEB_DIR)/site $(PORT) > /dev/null

# One static executable, which runs on Windows as it is.
WINDOWS_DIR := build-windows

windows: deps
	@cmake -S . -B $(WINDOWS_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release \
		-DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/win/mingw-w64.cmake > /dev/null
	@cmake --build $(WINDOWS_DIR)
	@echo "The Windows program is $(WINDOWS_DIR)/tuxing.exe"

# The browser test's Node modules, as the committed lock file pins them.
WEB_TEST_MODULES := tests/web/node_modules/.package-lock.json
$(WEB_TEST_MODULES): tests/web/package-lock.json
	@npm ci --prefix tests/web --no-audit --no-fund --loglevel=error

# The unit and widget tests run a second time under the sanitizers; the
# end-to-end tests drive the optimised program only.
test: build sanitize web-build windows $(WEB_TEST_MODULES)
	@$(MAKE) --no-print-directory fuzz FUZZ_RUNS=$(FUZZ_TEST_RUNS)
	@ctest --test-dir $(BUILD_DIR) --output-on-failure

# make test runs the storm with its fixed seed; this one takes a new seed
# each time and says how to replay it.
storm: build
	@seed=$(SEED); seed=$${seed:-$$(od -An -N4 -tu4 /dev/urandom | tr -d ' ')}; \
		echo "input storm seed $$seed; make storm SEED=$$seed replays it"; \
		TUXING_STORM_SEED=$$seed scripts/private-desktop.sh $(BUILD_DIR)/tests/e2e/tuxing_e2e \
		--program=$(BUILD_DIR)/tuxing --gtest_filter=Storm.*

# -O1 keeps the asserts and every sanitizer check, and runs the core's tests
# three times faster than -O0.
sanitize: deps
	@cmake -S . -B $(SANITIZE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" \
		-DTUXING_SANITIZE=ON -DTUXING_BUILD_BENCHMARKS=OFF > /dev/null
	@cmake --build $(SANITIZE_DIR) --target tuxing_tests
	@ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitizer-suppressions.txt \
		ctest --test-dir $(SANITIZE_DIR) -L unit --output-on-failure

# make fuzz SECONDS=N fuzzes the drawing core for N seconds, starting from the
# committed corpus; what it finds new goes to $(FUZZ_DIR)/found. make test runs
# a fixed number of inputs from a fixed seed instead, the same on any machine.
# The sanitizer's quarantine of freed memory is cut to 16 MB: the inputs'
# layers are large and short-lived, and with the default 256 MB each new one
# lands in fresh pages, which halved the inputs run a second. A large layer
# leaves the quarantine unmapped, so a late access to it still faults.
FUZZ_DIR := build-fuzz
SECONDS ?= 30
FUZZ_TEST_RUNS := 30000
FUZZ_LIMIT = $(if $(FUZZ_RUNS),-runs=$(FUZZ_RUNS),-max_total_time=$(SECONDS))

.PHONY: fuzz
fuzz: deps
	@cmake -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
		-DTUXING_CORE_ONLY=ON -DTUXING_FUZZ=ON -DTUXING_SANITIZE=ON -DBUILD_TESTING=OFF > /dev/null
	@cmake --build $(FUZZ_DIR) --target surface_fuzz
	@rm -rf $(FUZZ_DIR)/found && mkdir -p $(FUZZ_DIR)/found
	@ASAN_OPTIONS=quarantine_size_mb=16 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 $(FUZZ_DIR)/tests/fuzz/surface_fuzz -seed=1 $(FUZZ_LIMIT) \
		-rss_limit_mb=4096 -print_final_stats=1 $(FUZZ_DIR)/found tests/fuzz/corpus

bench: build
	@./$(BUILD_DIR)/bench/tuxing_bench

# The Windows program's click under Wine, on a private desktop with room for
# the benchmarks' window, beside the desktop's.
bench-windows: build windows
	@cmake --build $(WINDOWS_DIR) --target tuxing_win_bench
	@./$(BUILD_DIR)/bench/tuxing_bench --benchmark_filter=CmdJgdd_Click/window/ --benchmark_repetitions=5 \
		--benchmark_report_aggregates_only=true
	@scripts/private-desktop.sh --screen 1400x1100 bench/win_bench.sh $(WINDOWS_DIR)

# The page's figures in Chromium, Firefox and WebKitGTK beside the desktop's pictures.
bench-web: build web-build $(WEB_TEST_MODULES)
	@node bench/web_bench.mjs --site=$(WEB_DIR)/site --desktop=$(BUILD_DIR)/bench/tuxing_bench

clean:
	@rm -rf $(BUILD_DIR) $(SANITIZE_DIR) $(FUZZ_DIR) $(WEB_DIR) $(WINDOWS_DIR)
