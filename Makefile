# Convenience wrapper around CMake. Every target first makes sure the Debian
# packages the build needs are installed (scripts/install-deps.sh).
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
# Where `make install` puts the game; DESTDIR, when set, is put before it.
PREFIX ?= /usr/local

.PHONY: all deps build test-build run test soak soak-long fuzz torture bench install package clean web web-serve web-test-deps windows

FUZZ_SECONDS ?= 60

all: build

deps:
	@scripts/install-deps.sh

# The game alone: what `run`, `install` and `package` need.
build: deps
	cmake --preset default -DVOLTARO5_BUILD_TESTS=OFF -DVOLTARO5_BUILD_BENCH=OFF >/dev/null
	cmake --build --preset default -j $(JOBS)

# The game with its tests, benchmarks and test tools, in the same build/.
test-build:
	@scripts/install-deps.sh unit bench test browser
	cmake --preset default -DVOLTARO5_BUILD_TESTS=ON -DVOLTARO5_BUILD_BENCH=ON >/dev/null
	cmake --build --preset default -j $(JOBS)

# The game plays from play/, which `clean` leaves alone, so the best score it
# keeps beside itself (play/Voltaro5.ini) outlives a clean build. A record
# from the time it played from build/ is taken along once.
run: build
	@mkdir -p play
	@if [ -f build/Voltaro5.ini ] && [ ! -e play/Voltaro5.ini ]; then cp build/Voltaro5.ini play/; fi
	cp build/voltaro5 play/voltaro5
	./play/voltaro5

# The windows tests fail rather than skip here when build-win/ is missing.
test: test-build web web-test-deps windows
	VOLTARO5_REQUIRE_WINDOWS=1 ctest --preset default -j $(JOBS)

install: build
	DESTDIR="$(DESTDIR)" cmake --install build --prefix "$(PREFIX)"

# The Debian package build/voltaro5_VERSION_ARCH.deb (installs under /usr).
package: build
	@scripts/install-deps.sh package
	cd build && cpack --config CPackConfig.cmake

# Writers killed at random moments, and the window closed at random moments
# under Xvfb (several minutes).
torture: test-build
	ctest --preset torture

# The browser build: index.html, index.js and index.wasm in build-web/, made
# with Debian's emscripten (NODE_PATH lets it find Debian's Node modules),
# optimised for size; with its manifest, service worker and icons, drawn by
# the host build's icon tool.
WEB_ENV := NODE_PATH=/usr/share/nodejs
web:
	@scripts/install-deps.sh web
	cmake -S . -B build-web/host -DCMAKE_BUILD_TYPE=Release -DVOLTARO5_BUILD_TESTS=OFF \
	  -DVOLTARO5_BUILD_BENCH=OFF >/dev/null
	cmake --build build-web/host --target voltaro5-icon-png -j $(JOBS)
	$(WEB_ENV) emcmake cmake -S . -B build-web -DCMAKE_BUILD_TYPE=MinSizeRel \
	  -DVOLTARO5_ICON_TOOL=$(CURDIR)/build-web/host/packaging/voltaro5-icon-png >/dev/null
	$(WEB_ENV) cmake --build build-web -j $(JOBS)

# A quick look at the page: http://127.0.0.1:8000/
web-serve: web
	python3 -m http.server --bind 127.0.0.1 --directory build-web 8000

# The Node packages of the browser tests, as locked in tests/web/.
web-test-deps: tests/web/node_modules/.package-lock.json
tests/web/node_modules/.package-lock.json: tests/web/package.json tests/web/package-lock.json
	@scripts/install-deps.sh browser
	npm ci --prefix tests/web --no-audit --no-fund

# The Windows build in build-win/, cross-built with mingw-w64: the game
# (voltaro5.exe, a windowed program with its icon drawn by the Linux build's
# voltaro5-icon-png), the simulator (voltaro5-sim.exe), the layers' tests,
# which `make test` runs under wine, and the packages
# voltaro5-VERSION-win64.zip and voltaro5-VERSION-win64-setup.exe. SDL2,
# GoogleTest and CLI11 are cross-built once into build-win/deps/, one folder
# per version. No DLL: everything is linked in.
WIN_DIR := build-win
windows:
	@scripts/install-deps.sh windows
	scripts/windows-deps.sh $(WIN_DIR)
	cmake --preset default >/dev/null
	cmake --build build -j $(JOBS) --target voltaro5-icon-png
	cmake -S . -B $(WIN_DIR) -C $(WIN_DIR)/deps/windows-deps.cmake \
	  --toolchain cmake/mingw-w64-x86_64.cmake \
	  -DVOLTARO5_BUILD_APP=ON -DVOLTARO5_BUILD_BENCH=OFF \
	  -DVOLTARO5_ICON_PNG_TOOL=$(CURDIR)/build/packaging/voltaro5-icon-png >/dev/null
	cmake --build $(WIN_DIR) -j $(JOBS)
	cmake --build $(WIN_DIR) --target voltaro5-packages

# Long pilot and bot games in the sanitizer build.
soak:
	@scripts/install-deps.sh unit
	cmake --preset asan >/dev/null
	cmake --build --preset asan -j $(JOBS) --target voltaro5-sim
	scripts/soak.sh build-asan/voltaro5-sim

# Ten million frames and more in the sanitizer build (under half an hour).
soak-long:
	@scripts/install-deps.sh unit
	cmake --preset asan >/dev/null
	cmake --build --preset asan -j $(JOBS) --target voltaro5-sim
	scripts/soak.sh build-asan/voltaro5-sim --long

# Every libFuzzer target for FUZZ_SECONDS seconds each (clang, sanitizers).
fuzz:
	@scripts/install-deps.sh unit fuzz
	cmake --preset fuzz >/dev/null
	cmake --build --preset fuzz -j $(JOBS)
	scripts/fuzz.sh $(FUZZ_SECONDS)

bench: test-build
	@for b in build/bench/bench_*; do [ -x "$$b" ] && "$$b"; done

# Build output only: never play/, where `make run` keeps the best score, nor
# the Windows build's cross-built libraries (build-win/deps/, minutes to make).
clean:
	rm -rf build build-asan build-fuzz build-web tests/web/node_modules
	if [ -d $(WIN_DIR) ]; then find $(WIN_DIR) -mindepth 1 -maxdepth 1 ! -name deps -exec rm -rf {} +; fi
