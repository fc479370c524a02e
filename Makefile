# SPDX-License-Identifier: GPL-3.0-or-later
# make run   install what is missing, build a release build, start the player
# make test  install what is missing, build, run the whole suite headless
# make bench build and run the benchmarks
# make deb   install what is missing, build the Debian package from debian/, print its path
# make windows  install mingw-w64 and Wine, cross-build build-windows/vorla.exe, print its path
# make bench-peers  Vorla beside Audacious under a private X server and sound server
MAKEFLAGS += --no-print-directory

.PHONY: deps run test bench bench-peers release install deb windows

deps:
	@tools/install-deps.sh

release: deps
	@cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DVORLA_TESTS=OFF -DVORLA_BENCH=OFF >/dev/null
	@cmake --build build-release -j"$$(nproc)"

run: release
	@tools/run.sh

test: deps
	@tools/test.sh

bench: deps
	@tools/bench.sh

deb: deps
	@tools/deb.sh

windows:
	@tools/windows.sh

bench-peers:
	@bench/peers/run.sh

PREFIX ?= /usr/local
install: release
	@cmake --install build-release --prefix "$(PREFIX)"
