#!/usr/bin/env bash
# Installs the dependencies, builds from clean and runs the whole test suite
# (unit tests and end-to-end tests, the latter under a virtual X server).
set -euo pipefail
source "$(dirname "$0")/commun.sh" build-tests
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo ${CMAKE_EXTRA:-} >/dev/null
cmake --build "$build" -j"$(nproc)"
# -noreset: by default the server resets when its last client leaves, and a program that
# connects during the reset fails to open the display (about one connection in a hundred
# when the tests start the program right after stopping it).
xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" ctest --test-dir "$build" --output-on-failure -j2 --timeout 600
