#!/usr/bin/env bash
# Installs every Debian package Brakmor needs to build, run and test (idempotent, as root).
set -euo pipefail
PAQUETS=(
  build-essential cmake pkg-config
  freeglut3-dev libgl-dev libglu1-mesa-dev
  libimgui-dev libstb-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth xdotool imagemagick python3
  clang
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
