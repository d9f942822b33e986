#!/usr/bin/env bash
# Runs one fuzzing harness for a fixed time on a scratch corpus seeded from the committed
# one (fuzz/corpus/NAME), with its dictionary (fuzz/NAME.dict):
#   bash fuzz/lance.sh BUILD/fuzz_NAME SECONDS [more libFuzzer options]
# Fails on a crash, a sanitizer report, a leak, an input slower than -timeout (1 s unless
# given) or one that goes over the memory limits. The failing input is written to
# $FUZZ_ARTEFACTS (default: a folder under /tmp) and named in the report.
set -euo pipefail
binaire="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
secondes="$2"
shift 2
ici="$(cd "$(dirname "$0")" && pwd)"
nom="$(basename "$binaire")"
nom="${nom#fuzz_}"
# New inputs go to $FUZZ_CORPUS when given (kept), to a scratch folder otherwise.
if [ -n "${FUZZ_CORPUS:-}" ]; then
    travail="$FUZZ_CORPUS"
    mkdir -p "$travail"
else
    travail="$(mktemp -d)"
    trap 'rm -rf "$travail"' EXIT
fi
artefacts="${FUZZ_ARTEFACTS:-/tmp/brakmor-fuzz-artefacts}"
mkdir -p "$artefacts"

options=(-max_total_time="$secondes" -timeout=1 -rss_limit_mb=2048 -malloc_limit_mb=512
         -print_final_stats=1 -artifact_prefix="$artefacts/$nom-")
[ -f "$ici/$nom.dict" ] && options+=(-dict="$ici/$nom.dict")
case "$nom" in
    spot) options+=(-max_len=200000) ;;  # the whole image and beyond
    scene) options+=(-max_len=16384) ;;  # past the statement buffer, many statements
esac
# Leaks are checked after every input that freed less than it allocated; no harness makes
# a GL context, so nothing is suppressed.
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
"$binaire" "${options[@]}" "$@" "$travail" "$ici/corpus/$nom" < /dev/null
