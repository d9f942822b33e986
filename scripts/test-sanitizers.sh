#!/usr/bin/env bash
# The sanitizer pass: builds everything with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer (and the fuzzing harnesses of fuzz/), then runs every unit test
# (LeakSanitizer checks each one at exit) and each fuzzing harness for FUZZ_SECONDES
# seconds (60 by default) on its committed corpus, and the Python module's tests; then the
# geometry tests again under
# ThreadSanitizer (gcc). The end-to-end tests are left to scripts/test.sh.
set -euo pipefail
source "$(dirname "$0")/commun.sh" build-sanitizers
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DBRAKMOR_FUZZ=ON -DBRAKMOR_FUZZ_SECONDES="${FUZZ_SECONDES:-60}" ${CMAKE_EXTRA:-} >/dev/null
cmake --build "$build" -j"$(nproc)"
# Mesa's driver keeps some memory to the end in the tests that open a window: only its
# libraries are suppressed (tests/lsan.supp).
export ASAN_OPTIONS="detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1"
export LSAN_OPTIONS="suppressions=$racine/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# -noreset: as in test.sh, no display refused while the server resets.
xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" \
    ctest --test-dir "$build" -E '^(e2e_|python_|RenduGL\.|MeshGL\.|PuitsGL\.)' \
    --output-on-failure -j2 --timeout 900
# The tests that draw through Mesa in a window: the leak checker walks the dynamic
# thread-local storage of Mesa's driver, loaded at run time, and crashes on an entry it
# cannot read, after the test has passed. They run with every other check.
ASAN_OPTIONS="detect_leaks=0:strict_string_checks=1:detect_stack_use_after_return=1" \
    xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" \
    ctest --test-dir "$build" -R '^(RenduGL|MeshGL|PuitsGL)\.' --output-on-failure -j2 --timeout 900
# The Python module under the same sanitizers: the interpreter is not built with them, so
# their run-time library is loaded first; the interpreter's own allocations live to its end
# (no leak check there).
asan="$(clang++ -print-file-name=libclang_rt.asan-x86_64.so)"
LD_PRELOAD="$asan" ASAN_OPTIONS="detect_leaks=0:detect_stack_use_after_return=1" \
    xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" \
    ctest --test-dir "$build" -R '^python_' --output-on-failure --timeout 1800
# Data races: the geometry module, whose meshes compute face normals on two threads, under
# ThreadSanitizer (its tests run from tests/data; those that need a window are skipped
# without one).
tsan="$build-tsan"
rm -rf "$tsan"
cmake -S . -B "$tsan" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS="-fsanitize=thread" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=thread" >/dev/null
cmake --build "$tsan" -j"$(nproc)" --target tests_geometrie
tsan="$(cd "$tsan" && pwd)"
(cd tests/data && env -u DISPLAY TSAN_OPTIONS="halt_on_error=1" "$tsan/tests_geometrie")
