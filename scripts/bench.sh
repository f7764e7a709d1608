#!/usr/bin/env bash
# Builds the benchmark programs and runs them inside the build's isolated Wine
# prefix (see scripts/winerun.sh).
#
#   scripts/bench.sh                 every program in bench/, with its defaults
#   scripts/bench.sh NAME [ARGS...]  one program, e.g. bench_file_removal 20 1000
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${PURGELET_BUILD:-$here/build}"

if [ $# -gt 0 ]; then
    names=("$1")
    shift
else
    names=()
    for source in "$here"/bench/*.cpp; do
        names+=("$(basename "$source" .cpp)")
    done
fi
[ ${#names[@]} -gt 0 ] || { echo "bench: no benchmark programs" >&2; exit 1; }

cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)" --target "${names[@]}"

status=0
for name in "${names[@]}"; do
    echo "== $name $*"
    "$here/scripts/winerun.sh" --build "$build" "$build/bench/$name.exe" "$@" || status=$?
done
exit $status
