#!/usr/bin/env bash
# Installs the dependencies, builds from clean and runs the whole test suite
# (unit tests and end-to-end tests, the latter under a virtual X server).
set -euo pipefail
source "$(dirname "$0")/commun.sh" build-tests
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo ${CMAKE_EXTRA:-} >/dev/null
cmake --build "$build" -j"$(nproc)"
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --test-dir "$build" --output-on-failure -j2 --timeout 600
