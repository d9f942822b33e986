#!/usr/bin/env bash
# Checks that a harness makes no OpenGL, GLU, GLUT or X call: the program is linked
# lazily, so the dynamic linker binds a library function of the harness only when it is
# first called. Runs the harness once over a corpus and lists what it bound in those
# libraries (nothing is expected):
#   bash fuzz/verifie_sans_gl.sh BUILD/fuzz_NAME [CORPUS]
set -euo pipefail
binaire="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
nom="$(basename "$binaire")"
corpus="${2:-$(cd "$(dirname "$0")" && pwd)/corpus/${nom#fuzz_}}"
journal="$(mktemp -d)"
trap 'rm -rf "$journal"' EXIT
LD_DEBUG=bindings LD_DEBUG_OUTPUT="$journal/liaisons" "$binaire" -runs=0 "$corpus" \
    > /dev/null 2>&1 < /dev/null
appels=$(cat "$journal"/liaisons.* | grep "binding file $binaire " |
    grep -E "to [^ ]*lib(GL|GLU|glut|GLX|GLdispatch|X11|xcb)[^ ]* " |
    grep -oE "symbol \`[^']*'" | sort -u || true)
total=$(cat "$journal"/liaisons.* | grep -c "binding file $binaire " || true)
if [ -n "$appels" ]; then
    echo "$nom appelle :"
    echo "$appels"
    exit 1
fi
echo "$nom : aucun appel OpenGL, GLU, GLUT ni X ($total fonctions liées, $(ls "$corpus" | wc -l) entrées)"
