#!/usr/bin/env bash
# Pictures the main window's four pages, the About box, the cookie window and
# the tray menu (XP style and plain, opened with a real right-click) under
# Xvfb into docs/: the picture program (pictures/) and the tray's real-input
# tests make them, and they are copied into docs/.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${PURGELET_BUILD:-$here/build}"
"$here/scripts/build.sh" --target purgelet_pictures test_tray_input Purgelet >/dev/null
rm -rf "$build/shots"
"$here/scripts/winerun.sh" --build "$build" "$build/pictures/purgelet_pictures.exe"
"$here/tests/support/with_real_input.sh" "$build" "$build/tests/test_tray_input.exe" >/dev/null
mkdir -p "$here/docs"
for f in "$build"/shots/*.bmp; do
    convert "$f" "$here/docs/$(basename "${f%.bmp}").png"
done
for f in "$build"/shots/tray-menu-*.png; do
    convert "$f" -scale 200% "$here/docs/$(basename "$f")"
done
ls "$here/docs"
