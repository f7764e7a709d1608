#!/usr/bin/env bash
# Configures and builds into ./build (or $PURGELET_BUILD).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${PURGELET_BUILD:-$here/build}"
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)" "$@"
