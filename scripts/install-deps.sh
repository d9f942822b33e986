#!/usr/bin/env bash
# Installs every Debian package Brakmor needs to build, run and test (idempotent, as root).
set -euo pipefail
PAQUETS=(
  build-essential cmake pkg-config
  freeglut3-dev libgl-dev libglu1-mesa-dev
  libimgui-dev libstb-dev
  libgtest-dev libgmock-dev libbenchmark-dev libtinyobjloader-dev
  xvfb xauth xdotool imagemagick python3
  clang libclang-rt-14-dev clang-format-14
  liburdfdom-dev libassimp-dev libeigen3-dev liborocos-kdl-dev
  pybind11-dev python3-pybind11 python3-numpy libegl-dev libegl-mesa0
  python3-matplotlib python3-nbclient python3-nbconvert python3-nbformat python3-ipykernel
)
manquants=()
for p in "${PAQUETS[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || manquants+=("$p")
done
if [ "${#manquants[@]}" -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${manquants[@]}"
fi

# The panel's GLUT and OpenGL2 back ends are compiled from the sources that libimgui-dev
# ships under /usr/share/doc. Minimal images may exclude /usr/share/doc from installs: then
# unpack the package's sources where the build looks for them as well.
SOURCES_IMGUI=/usr/share/doc/libimgui-dev/examples/backends
COPIE_IMGUI=/usr/local/share/brakmor/imgui-backends
if [ ! -f "$SOURCES_IMGUI/imgui_impl_glut.cpp" ] && [ ! -f "$COPIE_IMGUI/imgui_impl_glut.cpp" ]; then
  tmp="$(mktemp -d)"
  (cd "$tmp" && apt-get download libimgui-dev >/dev/null && dpkg-deb -x libimgui-dev_*.deb extrait)
  mkdir -p "$COPIE_IMGUI"
  cp "$tmp/extrait$SOURCES_IMGUI/"imgui_impl_glut.cpp "$tmp/extrait$SOURCES_IMGUI/"imgui_impl_opengl2.cpp "$COPIE_IMGUI/"
  rm -rf "$tmp"
fi

# The test robots (a KUKA KR5, a Barrett WAM and malformed descriptions) ship in dart-doc's
# documentation folder: the package is downloaded, not installed, and only that folder is
# unpacked, into tests/urdf-dart (left out of git).
RACINE="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
ROBOTS="$RACINE/tests/urdf-dart"
if [ ! -f "$ROBOTS/KR5/KR5 sixx R650.urdf" ] || [ ! -f "$ROBOTS/wam/wam.urdf" ]; then
  tmp="$(mktemp -d)"
  # Package lists never updated on this machine: once more after an update.
  (cd "$tmp" && { apt-get download dart-doc >/dev/null 2>&1 ||
    { apt-get update -qq && apt-get download dart-doc >/dev/null; }; } && mkdir extrait &&
    dpkg-deb --fsys-tarfile dart-doc_*.deb | tar -x -C extrait ./usr/share/doc/dart/data/urdf/)
  rm -rf "$ROBOTS.tmp"
  mv "$tmp/extrait/usr/share/doc/dart/data/urdf" "$ROBOTS.tmp"
  rm -rf "$ROBOTS"
  mv "$ROBOTS.tmp" "$ROBOTS"
  rm -rf "$tmp"
fi
