#!/usr/bin/env bash
# Pictures the main window's four pages, the About box and the tray menu (XP
# style and plain, opened with a real right-click) under Xvfb into docs/.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${PURGELET_BUILD:-$here/build}"
"$here/scripts/build.sh" --target test_mainwindow test_about test_tray Purgelet >/dev/null
rm -rf "$build/shots"
"$here/scripts/winerun.sh" --build "$build" "$build/tests/test_mainwindow.exe" \
    --gtest_also_run_disabled_tests --gtest_filter='MainWindowScreens.*'
"$here/scripts/winerun.sh" --build "$build" "$build/tests/test_about.exe" \
    --gtest_also_run_disabled_tests --gtest_filter='AboutBoxScreens.*'
mkdir -p "$here/docs"
for f in "$build"/shots/*.bmp; do
    convert "$f" "$here/docs/$(basename "${f%.bmp}").png"
done
"$here/tests/tray/tray_input.sh" "$build" >/dev/null
for f in "$build"/tray-input/tray-menu-*.png; do
    convert "$f" -scale 200% "$here/docs/$(basename "$f")"
done
ls "$here/docs"
