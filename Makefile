# make build   the native, 32-bit Windows and 64-bit Windows builds, then dist/ (the
#              wizard's directory, as a user gets it)
# make check   build, then every test: native, under Wine (both Windows trees), end-to-end
# make demo    the main job on the built-in sample data
# make fuzz    each fuzz target for FUZZ_SECONDS (default 60) seconds
# make maps    redraw the map control's pictures from the state shapes (needs npm)
# make maps-check  regenerate them and compare with the committed files
# make bench   the engine against its peer tools (ratios), inputs made under build/bench
# make bench-web  the stand-alone web setup program's download against curl (needs make build)
# make wizard-screenshots  the wizard window's panels and modal windows into docs/wizard/
# build, check, demo, fuzz and bench first run scripts/setup-deps, which is quick when all is
# in place.
SHELL := /bin/bash
# One locale for every build, test and the demo, whatever the machine has set (a bare
# machine sets none): Wine maps Windows file names to Linux ones in the locale's character
# set, and the peer tools the tests read cabinets with print names in it.
export LC_ALL := C.UTF-8
FUZZ_SECONDS ?= 60

.PHONY: all deps native windows windows-x64 build dist check demo fuzz bench bench-web maps maps-check wizard-screenshots clean

all: build

deps:
	@scripts/setup-deps

native: deps
	@[ -f build/native/build.ninja ] || cmake --preset native
	cmake --build --preset native

windows: deps
	@[ -f build/windows/build.ninja ] || cmake --preset windows
	cmake --build --preset windows

windows-x64: deps
	@[ -f build/windows-x64/build.ninja ] || cmake --preset windows-x64
	cmake --build --preset windows-x64

build: native windows windows-x64 dist

dist:
	@scripts/assemble-dist

check: build
	@scripts/check

demo: build
	@scripts/demo

fuzz: deps
	@[ -f build/fuzz/build.ninja ] || cmake --preset fuzz
	cmake --build --preset fuzz
	@scripts/run-fuzz $(FUZZ_SECONDS)

# The normal build uses the committed pictures; only these targets need npm.
maps:
	cd tools/mapgen && npm ci --no-audit --no-fund && node mapgen.js

maps-check:
	cd tools/mapgen && npm ci --no-audit --no-fund && node mapgen.js --check

wizard-screenshots: windows dist
	@scripts/wizard-screenshots

bench: native windows
	@bench/run-bench
	@bench/run-wine-bench

bench-web: build
	@bench/run-web-bench

clean:
	rm -rf build/native build/windows build/windows-x64 build/fuzz build/wine-session dist
