# Two commands: `make run` builds the model and runs the bundled example case,
# `make test` builds and runs every test. Both first install the Debian
# packages they need when these are missing (tools/deps.sh).
BUILD_DIR ?= build
EXAMPLE ?= examples/plane_beach
JOBS ?= 2
CONFIGURE = cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release

.PHONY: all build run test bench clean test-cluster check-math test-no-fma check-aarch64

all: build

build:
	tools/deps.sh model
	$(CONFIGURE) -DBUILD_TESTING=OFF
	cmake --build $(BUILD_DIR) -j $(JOBS) --target tidmor

run: build
	cd $(EXAMPLE) && $(CURDIR)/$(BUILD_DIR)/tidmor

test:
	tools/deps.sh model test python
	$(CONFIGURE) -DBUILD_TESTING=ON
	cmake --build $(BUILD_DIR) -j $(JOBS)
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

bench:
	tools/deps.sh model bench
	$(CONFIGURE) -DTIDMOR_BUILD_BENCH=ON
	cmake --build $(BUILD_DIR) -j $(JOBS)
	for b in $(BUILD_DIR)/bench/bench_*; do [ ! -x "$$b" ] || "$$b" || exit 1; done

# A one-node Slurm cluster on this machine runs a sweep as a job array (root).
test-cluster: build
	tools/deps.sh python cluster
	tests/cluster/test_slurm.sh $(CURDIR)/$(BUILD_DIR)/tidmor

# The correctly rounded elementary functions against MPFR, bit for bit:
# MATH_COUNT seeded random arguments per function over the model's ranges
# and as many over the whole double range.
MATH_COUNT ?= 10000000
check-math:
	tools/deps.sh model test
	$(CONFIGURE) -DBUILD_TESTING=ON
	cmake --build $(BUILD_DIR) -j $(JOBS) --target check_elementary
	$(BUILD_DIR)/tests/check_elementary $(MATH_COUNT) $(JOBS)

# The whole-run tests again with the C library's variants for CPUs without
# FMA and AVX2: the results must not depend on them (run after make test).
NO_FMA_TUNABLES = glibc.cpu.hwcaps=-AVX2_Usable,-FMA_Usable,-AVX2,-FMA
test-no-fma:
	GLIBC_TUNABLES=$(NO_FMA_TUNABLES) ctest --test-dir $(BUILD_DIR) -R 'WholeRun' --output-on-failure -j $(JOBS)

# Cross-build for aarch64 and run the whole-run cases under qemu-user.
check-aarch64:
	tools/check_aarch64.sh

clean:
	rm -rf $(BUILD_DIR)
