#!/usr/bin/env bash
# Installs what is missing, builds, and starts Ovk Purgelet under Wine in the
# user's normal Wine prefix.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/deps.sh"
"$here/scripts/build.sh" --target Purgelet
build="${PURGELET_BUILD:-$here/build}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ -z "${DISPLAY:-}" ]; then
    echo "No display found: running under Xvfb (nothing will be visible)."
    exec xvfb-run -a wine "$build/Purgelet.exe"
fi
exec wine "$build/Purgelet.exe"
