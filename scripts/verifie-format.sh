#!/usr/bin/env bash
# Checks that every C++ file of the repository is formatted as .clang-format says
# (clang-format 14); lists the files that are not and exits 1. With --corrige, formats them.
set -euo pipefail
cd "$(dirname "$0")/.."
format=$(command -v clang-format-14 || command -v clang-format)
mapfile -t fichiers < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = "--corrige" ]; then
    "$format" -i "${fichiers[@]}"
    exit 0
fi
"$format" --dry-run --Werror "${fichiers[@]}" 2>/tmp/format-$$.txt || {
    grep -o '^[^:]*\.\(cpp\|h\):' /tmp/format-$$.txt | sort -u | sed 's/:$/ : pas au format/'
    rm -f /tmp/format-$$.txt
    exit 1
}
rm -f /tmp/format-$$.txt
echo "format : OK (${#fichiers[@]} fichiers)"
