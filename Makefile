# Two commands for a fresh Debian 12 machine, run as root:
#   make run    installs what is missing, builds, starts the program
#   make test   installs what is missing, builds, runs every test

BUILD_DIR := build
CMAKE_FLAGS := -G Ninja -DCMAKE_BUILD_TYPE=Release

.PHONY: run test build deps bench clean

deps:
	@bash scripts/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD_DIR) $(CMAKE_FLAGS) > /dev/null
	@cmake --build $(BUILD_DIR)

run: build
	@./$(BUILD_DIR)/tuxing

test: build
	@ctest --test-dir $(BUILD_DIR) --output-on-failure

bench: build
	@./$(BUILD_DIR)/bench/tuxing_bench

clean:
	@rm -rf $(BUILD_DIR)
