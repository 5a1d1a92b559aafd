# Two commands: `make run` builds the model and runs the bundled example case,
# `make test` builds and runs every test.
BUILD_DIR ?= build
EXAMPLE ?= examples/plane_beach
JOBS ?= 2

.PHONY: all build run test clean

all: build

build:
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	cd $(EXAMPLE) && $(CURDIR)/$(BUILD_DIR)/tidmor

test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD_DIR)
