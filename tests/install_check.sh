#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what lands where.
# Usage: install_check.sh BUILD_DIR
set -euo pipefail
prefix=$(mktemp -d /tmp/tovra2-install-XXXXXX)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$1" --prefix "$prefix" > /dev/null
for f in bin/tovra2 bin/tovra2-sim share/applications/tovra2.desktop \
         share/icons/hicolor/16x16/apps/tovra2.png share/icons/hicolor/32x32/apps/tovra2.png \
         share/icons/hicolor/48x48/apps/tovra2.png share/icons/hicolor/scalable/apps/tovra2.svg; do
  [ -e "$prefix/$f" ] || { echo "FAIL: $f not installed"; exit 1; }
done
[ -x "$prefix/bin/tovra2" ] && [ -x "$prefix/bin/tovra2-sim" ] || { echo "FAIL: not executable"; exit 1; }
for size in 16 32 48; do
  got=$(identify -format '%wx%h' "$prefix/share/icons/hicolor/${size}x${size}/apps/tovra2.png")
  [ "$got" = "${size}x${size}" ] || { echo "FAIL: ${size}px icon is $got"; exit 1; }
done
grep -q '^Exec=tovra2$' "$prefix/share/applications/tovra2.desktop"
grep -q '^Icon=tovra2$' "$prefix/share/applications/tovra2.desktop"
"$prefix/bin/tovra2-sim" --help | grep -q '^Usage: tovra2-sim'
echo "PASS"
