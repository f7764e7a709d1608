#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test inside the
# build's isolated Wine prefix (see scripts/winerun.sh).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/deps.sh"
format_status=0
"$here/scripts/check-format.sh" || format_status=$?
"$here/scripts/check-layers.sh" || format_status=$?
"$here/scripts/build.sh"
build="${PURGELET_BUILD:-$here/build}"
# Prepare the prefix, the display and the wineserver once, before ctest starts.
"$here/scripts/winerun.sh" --build "$build"
cd "$build"
status=0
ctest --output-on-failure --timeout 300 "$@" || status=$?
# Leave no Wine or X server of this run behind.
WINEPREFIX="$build/wineprefix" wineserver -k 2>/dev/null || true
rm -f "$build/.wine-warm"
if [ -f "$build/.xvfb" ]; then
    read -r pid _ < "$build/.xvfb" || true
    [ -n "${pid:-}" ] && kill "$pid" 2>/dev/null || true
    rm -f "$build/.xvfb"
fi
[ $format_status -ne 0 ] && echo "Sources are not formatted, or include a layer above their own (see above)." >&2
[ $status -eq 0 ] && status=$format_status
exit $status
