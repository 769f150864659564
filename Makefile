# Two commands: `make run` and `make test`. Both install what is missing,
# configure, build and generate the data into build/ first. `make web` (and
# `make test`, which tests it) also builds the demo for a web browser into
# build-web/periodica.html. `make release` writes dist/: the Debian package,
# the page, the published video with a still, a README and SHA256SUMS.
BUILD_DIR ?= build
WEB_DIR ?= build-web
JOBS ?= $(shell nproc)
# Debian's node modules: the web toolchain's optimiser needs its acorn from
# here, also when another Node.js comes first on the path.
WEB_ENV = NODE_PATH=/usr/share/nodejs
DIST_DIR ?= dist
# The published video's frame; a smaller one (e.g. 640x360) is a quick release.
RELEASE_SIZE ?= 1920x1080
# When make was started, for the release note's time.
RELEASE_STARTED := $(shell date +%s)

.PHONY: run test sanitize build web release deps web-deps package-deps clean

deps:
	@scripts/install-deps

web-deps: deps
	@scripts/install-deps web

# What builds and checks the Debian package (its tests are in `make test`).
package-deps: deps
	@scripts/install-deps package

build: deps
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(BUILD_DIR) -j$(JOBS) -- --no-print-directory

run: build
	@scripts/run-demo $(BUILD_DIR)

# The page embeds the data/ the desktop build generates, and the stills of
# the show it captures with the chapter list.
web: web-deps build
	@cmake --build $(BUILD_DIR) --target page_face -- --no-print-directory
	@$(WEB_ENV) emcmake cmake -S web -B $(WEB_DIR) -DPERIODICA_DATA_DIR=$(abspath $(BUILD_DIR))/data \
	  -DPERIODICA_FACE=$(abspath $(BUILD_DIR))/page/face.jpg \
	  -DPERIODICA_CHAPTERS=$(abspath $(BUILD_DIR))/page/chapters.json >/dev/null
	@$(WEB_ENV) cmake --build $(WEB_DIR) -j$(JOBS) -- --no-print-directory

test: package-deps web
	@cmake -S . -B $(BUILD_DIR) -DPERIODICA_WEB_PAGE=$(abspath $(WEB_DIR))/periodica.html >/dev/null
	@cmake --build $(BUILD_DIR) -j$(JOBS) -- --no-print-directory
	@cd $(BUILD_DIR) && ctest --output-on-failure -j$(JOBS)

release: package-deps web
	@scripts/make-release $(BUILD_DIR) $(WEB_DIR) $(DIST_DIR) $(RELEASE_SIZE) $(RELEASE_STARTED)

# The test suite under AddressSanitizer + UBSan and under ThreadSanitizer.
sanitize: deps
	@scripts/ci-sanitizers

clean:
	rm -rf $(BUILD_DIR) $(WEB_DIR) $(DIST_DIR)
