#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need: only those missing.
set -euo pipefail

packages=(
  g++ cmake ninja-build                        # compiler and build
  qt6-base-dev qt6-serialport-dev              # Qt Widgets, Qt Serial Port
  googletest libgtest-dev libgmock-dev         # tests
  xvfb xauth imagemagick xdotool socat         # screenshots, clicks and bridged ports in tests
  fonts-liberation fonts-liberation2 fonts-wine  # the window's fonts and their substitutes
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
"${as_root[@]}" apt-get update
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}"
