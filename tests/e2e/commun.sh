# Shared helpers of the end-to-end tests (sourced). Runs the program under a virtual X server.
set -u
BRAKMOR="$1"
SOURCE="$2"
TRAVAIL="$(mktemp -d)"
trap 'rm -rf "$TRAVAIL"' EXIT
cd "$TRAVAIL"
if [ -z "${DISPLAY:-}" ]; then
    echo "pas de DISPLAY : lancer sous xvfb-run" >&2
    exit 1
fi
echec() {
    echo "ECHEC : $*" >&2
    exit 1
}
