#!/usr/bin/env bash
# Installs what is missing, builds the release program and writes the two
# release packages:
#
#   dist/Purgelet-<version>-setup.exe     installer for the current user (NSIS)
#   dist/Purgelet-<version>-portable.zip  the program, PurgeletCmd.exe and the help file
#
# The version is the project's VERSION in CMakeLists.txt. PURGELET_BUILD
# chooses the build folder (default ./build), PURGELET_DIST the folder the
# packages are written to (default ./dist).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${PURGELET_BUILD:-$here/build}"
dist="${PURGELET_DIST:-$here/dist}"
"$here/scripts/deps.sh"
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)" --target dist
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")"
[ -n "$version" ] || { echo "package: no project version in $build/CMakeCache.txt" >&2; exit 1; }
mkdir -p "$dist"
for name in "Purgelet-$version-setup.exe" "Purgelet-$version-portable.zip"; do
    cp "$build/dist/$name" "$dist/$name"
    echo "$dist/$name"
done
