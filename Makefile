# Two commands: `make run` builds the model and runs the bundled example case,
# `make test` builds and runs every test. Both first install the Debian
# packages they need when these are missing (tools/deps.sh).
BUILD_DIR ?= build
EXAMPLE ?= examples/plane_beach
JOBS ?= 2
CONFIGURE = cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release

# `make test-sanitize` runs the whole suite under AddressSanitizer and
# UndefinedBehaviorSanitizer, with the index checks of the fixed arrays on,
# in its own build folder (the minimal-build check, which builds its own
# plain program, is left to `make test`; the Python module is left out, as
# an interpreter built without the sanitizers cannot load it); `make fuzz` runs the libFuzzer target of the input
# reader and start-up checks for FUZZ_SECONDS from the seed corpus.
SANITIZE_DIR ?= build-sanitize
SANITIZE_FLAGS = -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer -DTIDMOR_CHECK_INDICES
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_FLAGS = -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -DTIDMOR_CHECK_INDICES -g

.PHONY: all build run test test-sanitize fuzz bench clean test-cluster check-math test-no-fma check-aarch64

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

test-sanitize:
	tools/deps.sh model test python
	cmake -S . -B $(SANITIZE_DIR) -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=ON -DTIDMOR_BUILD_PYTHON=OFF \
	  -DCMAKE_CXX_FLAGS="$(SANITIZE_FLAGS)" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined"
	cmake --build $(SANITIZE_DIR) -j $(JOBS)
	ASAN_OPTIONS=abort_on_error=1:detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --test-dir $(SANITIZE_DIR) --output-on-failure -j $(JOBS) -E MinimalBuild

fuzz:
	tools/deps.sh model fuzz
	cmake -S . -B $(FUZZ_DIR) -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DTIDMOR_BUILD_FUZZ=ON -DTIDMOR_BUILD_PYTHON=OFF \
	  -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_CXX_FLAGS="$(FUZZ_FLAGS)"
	cmake --build $(FUZZ_DIR) -j $(JOBS) --target fuzz_start_up
	mkdir -p $(FUZZ_DIR)/corpus
	$(FUZZ_DIR)/tests/fuzz/fuzz_start_up -max_total_time=$(FUZZ_SECONDS) -max_len=8192 -timeout=10 \
	  -print_final_stats=1 $(FUZZ_DIR)/corpus tests/fuzz/corpus

bench:
	tools/deps.sh model bench
	$(CONFIGURE) -DTIDMOR_BUILD_BENCH=ON
	cmake --build $(BUILD_DIR) -j $(JOBS)
	for b in $(BUILD_DIR)/bench/bench_*; do [ ! -x "$$b" ] || "$$b" || exit 1; done
	bench/instruction_counts.sh $(BUILD_DIR)/tidmor $(BASELINE)

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
# FMA and AVX2: the results must not depend on them.
NO_FMA_TUNABLES = glibc.cpu.hwcaps=-AVX2_Usable,-FMA_Usable,-AVX2,-FMA
# (The build folder is configured with its tests again: `make build` and
# `make test-cluster` configure it without them, and a ctest that finds no
# test must fail, not pass.)
test-no-fma:
	tools/deps.sh model test
	$(CONFIGURE) -DBUILD_TESTING=ON
	cmake --build $(BUILD_DIR) -j $(JOBS)
	GLIBC_TUNABLES=$(NO_FMA_TUNABLES) ctest --test-dir $(BUILD_DIR) -R 'WholeRun' --no-tests=error --output-on-failure -j $(JOBS)

# Cross-build for aarch64 and run the whole-run cases under qemu-user.
check-aarch64:
	tools/check_aarch64.sh

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR) $(FUZZ_DIR)
