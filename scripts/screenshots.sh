#!/usr/bin/env bash
# Pictures the main window's four pages and the About box under Xvfb into docs/.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${PURGELET_BUILD:-$here/build}"
"$here/scripts/build.sh" --target test_mainwindow test_about >/dev/null
rm -rf "$build/shots"
"$here/scripts/winerun.sh" --build "$build" "$build/tests/test_mainwindow.exe" \
    --gtest_also_run_disabled_tests --gtest_filter='MainWindowScreens.*'
"$here/scripts/winerun.sh" --build "$build" "$build/tests/test_about.exe" \
    --gtest_also_run_disabled_tests --gtest_filter='AboutBoxScreens.*'
mkdir -p "$here/docs"
for f in "$build"/shots/*.bmp; do
    convert "$f" "$here/docs/$(basename "${f%.bmp}").png"
done
ls "$here/docs"
