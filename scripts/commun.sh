# Shared start of the test scripts (sourced): works from the repository's root, installs
# the dependencies when it may (as root or through sudo), and empties the build folder
# named by BUILD_DIR or by its argument, which it leaves in $build.
racine="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$racine"
if [ "$(id -u)" -eq 0 ] || command -v sudo >/dev/null; then bash scripts/install-deps.sh; fi
build="${BUILD_DIR:-$1}"
rm -rf "$build"
