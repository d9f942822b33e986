#!/usr/bin/env bash
# Installs the dependencies, builds from clean and runs the whole test suite
# (unit tests and end-to-end tests, the latter under a virtual X server).
set -euo pipefail
racine="$(cd "$(dirname "$0")/.." && pwd)"
cd "$racine"
if [ "$(id -u)" -eq 0 ] || command -v sudo >/dev/null; then bash scripts/install-deps.sh; fi
build="${BUILD_DIR:-build-tests}"
rm -rf "$build"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo ${CMAKE_EXTRA:-} >/dev/null
cmake --build "$build" -j"$(nproc)"
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --test-dir "$build" --output-on-failure -j2 --timeout 600
