# Two commands: `make run` and `make test`. Both install what is missing,
# configure, build and generate the data into build/ first.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)

.PHONY: run test sanitize build deps clean

deps:
	@scripts/install-deps

build: deps
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(BUILD_DIR) -j$(JOBS) -- --no-print-directory

run: build
	@scripts/run-demo $(BUILD_DIR)

test: build
	@cd $(BUILD_DIR) && ctest --output-on-failure -j$(JOBS)

# The test suite under AddressSanitizer + UBSan and under ThreadSanitizer.
sanitize: deps
	@scripts/ci-sanitizers

clean:
	rm -rf $(BUILD_DIR)
