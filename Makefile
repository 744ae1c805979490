# The two everyday commands: `make run` and `make test`.
SHELL := /bin/bash
.DEFAULT_GOAL := run

DEMO_DB ?= var/demo.sqlite
PRESET ?= default
# `make run` builds optimised, and only the host, the module and their libraries.
RUN_PRESET ?= release
TAVREL := build/$(RUN_PRESET)/bin/tavrel

.PHONY: deps build build-run build-asan test test-default test-asan run demo bench clean \
        package package-check

deps:
	@bash scripts/setup-deps

build: deps
	cmake --preset $(PRESET) >/dev/null
	cmake --build --preset $(PRESET)

build-run: deps
	cmake --preset $(RUN_PRESET) >/dev/null
	cmake --build --preset $(RUN_PRESET) --target tavrel VEdUvura

build-asan: deps
	cmake --preset asan >/dev/null
	cmake --build --preset asan

# Builds everything twice (plain and sanitized), starts PostgreSQL and runs every test;
# between the two, checks the Debian package from its installed tree.
test: deps
	@export TAVREL_TEST_PG=$$(bash scripts/start-postgres) && \
	cmake --preset default >/dev/null && cmake --build --preset default && \
	ctest --preset default -j2 && \
	bash scripts/package-check && \
	cmake --preset asan >/dev/null && cmake --build --preset asan && \
	ctest --preset asan -j2

demo: build-run
	@mkdir -p var
	@if [ ! -f $(DEMO_DB) ]; then $(TAVREL) init-db --database $(DEMO_DB) --demo; fi

# Starts the menu host on the demo database. Without a display it serves the window
# over VNC on the loopback address.
run: demo
	@bash scripts/run-host $(TAVREL) $(DEMO_DB)

bench:
	cmake --preset release >/dev/null && cmake --build --preset release
	@export TAVREL_TEST_PG=$$(bash scripts/start-postgres) && bash bench/run-all

# The Debian package build/package/tavrel_<version>_amd64.deb (release build, no tests).
package: deps
	cmake --preset package >/dev/null && cmake --build --preset package
	cd build/package && cpack -G DEB

package-check: deps
	@bash scripts/package-check

clean:
	rm -rf build
