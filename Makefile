# make run | test | bench | release  (see README.md)
SHELL := /bin/bash
ROOT  := $(CURDIR)
DEPS  := $(ROOT)/build/deps
BED   := $(ROOT)/tests/bed/winebed.sh
JOBS  ?= $(shell nproc)

.PHONY: all deps lame native win64 win32 test test-native test-win run bench release screenshots clean

all: win64

deps:
	@bash tools/build/install-deps.sh

lame: deps
	@bash tools/build/build-lame.sh x86_64-w64-mingw32 $(DEPS)/lame-win64
	@bash tools/build/build-lame.sh i686-w64-mingw32 $(DEPS)/lame-win32

# Configure once; later builds only rebuild what changed.
build/%/build.ninja:
	@cmake --preset $* >/dev/null

native: deps build/native/build.ninja
	@cmake --build build/native -j $(JOBS)

win64: lame build/win64/build.ninja
	@cmake --build build/win64 -j $(JOBS)

win32: lame build/win32/build.ninja
	@# A tree configured when the 32-bit build had no tests gets them now.
	@if grep -q '^BUILD_TESTING:BOOL=OFF' build/win32/CMakeCache.txt; then cmake --preset win32 -DBUILD_TESTING=ON >/dev/null; fi
	@cmake --build build/win32 -j $(JOBS)

test: native win64 win32
	@bash tools/build/run-tests.sh

run: win64
	@bash tools/build/run-demo.sh

bench: native win64 win32
	@bash tests/bench/run.sh

# Pictures of every window under Xvfb (build/screenshots/); renews the
# README's pictures in docs/. DPI=144 for a look at another scaling.
screenshots: win64
	@bash tools/build/screenshots.sh $(or $(DPI),96)

release: win32 win64
	@bash tools/build/make-release.sh

clean:
	@$(BED) stop >/dev/null 2>&1 || true
	rm -rf build/native build/win64 build/win32 dist
