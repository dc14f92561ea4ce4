# The two commands of the README: `make run` and `make test`.
# Both install what is missing from Debian's packages, configure and build.
JOBS ?= $(shell nproc)
BUILD_DIR ?= build
TEST_DIR ?= build/test

.PHONY: all deps build run test test-ratio bench format clean

all: build

deps:
	@scripts/setup-deps.sh

$(BUILD_DIR)/build.ninja: | deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUIRE_TESTS=OFF

build: deps $(BUILD_DIR)/build.ninja
	cmake --build $(BUILD_DIR) -j $(JOBS)

# When Editor.ini names no Tessera folder yet, a sample project is built and named first.
run: build
	@scripts/offer-sample-project.sh $(BUILD_DIR)/bin
	$(BUILD_DIR)/bin/quire

# Line tables (-g1) are all the sanitizers' reports need and build faster than full debug
# information; configure a folder of your own for a debugger.
$(TEST_DIR)/build.ninja: | deps
	cmake -S . -B $(TEST_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 -DQUIRE_TESTS=ON \
	      -DQUIRE_SANITIZE=ON

test: deps $(TEST_DIR)/build.ninja
	cmake --build $(TEST_DIR) -j $(JOBS)
	cd $(TEST_DIR) && ctest --output-on-failure -j $(JOBS)

test-ratio:
	@scripts/test-ratio

bench: deps $(BUILD_DIR)/build.ninja
	cmake -S . -B $(BUILD_DIR) -DQUIRE_BENCH=ON
	cmake --build $(BUILD_DIR) -j $(JOBS)
	@for b in $(BUILD_DIR)/bench/*; do if [ -f "$$b" ] && [ -x "$$b" ]; then "$$b" || exit 1; fi; done
	bench/quantdump-bench.sh $(BUILD_DIR)/bin/QuantumDump/QuantDump
	bench/sample-project-bench.sh $(BUILD_DIR)/bin/quire-sample-project
	bench/quire-avs-bench.sh $(BUILD_DIR)/bin/quire-avs

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD_DIR)
