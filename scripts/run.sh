#!/usr/bin/env bash
# Installs what is missing, builds, and starts Ovk Purgelet under Wine.
#
#   run.sh [--screenshot FILE.png [SECONDS]]
#
# The program runs in a Wine prefix of its own, BUILD/run-wineprefix (BUILD is
# $PURGELET_BUILD, else ./build), made on first use with Wine's own fonts and
# an association for .htm files (so "Help" opens the help file in the
# browser the host offers); the user's own Wine prefix is not touched. A prefix
# named with WINEPREFIX is used instead, as it is.
#
# Without an X display the program runs on a virtual screen (Xvfb) that
# nobody sees. --screenshot runs it on such a screen for SECONDS (default 5),
# saves a picture of the screen to FILE.png and ends it.
#
# PURGELET_RUN_AS_BUILT=1 runs the program already built in BUILD, installing
# and building nothing (the tests run this script so).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
shot="" wait_seconds=5
if [ "${1:-}" = "--screenshot" ]; then
    [ -n "${2:-}" ] || { echo "usage: run.sh [--screenshot FILE.png [SECONDS]]" >&2; exit 2; }
    shot="$(realpath -m "$2")" wait_seconds="${3:-5}"
fi
if [ -z "${PURGELET_RUN_AS_BUILT:-}" ]; then
    "$here/scripts/deps.sh"
    "$here/scripts/build.sh" --target Purgelet
fi
build="${PURGELET_BUILD:-$here/build}"
export WINEDEBUG="${WINEDEBUG:--all}"

if [ -z "${WINEPREFIX:-}" ]; then
    export WINEPREFIX="$build/run-wineprefix"
    if [ ! -f "$WINEPREFIX/.purgelet-run-ready" ]; then
        echo "Making the program's own Wine prefix in $WINEPREFIX (once)."
        rm -rf "$WINEPREFIX"
        # No offer to download Mono and Gecko, in this prefix only.
        WINEDLLOVERRIDES="mscoree,mshtml=" wineboot --init >/dev/null 2>&1 || true
        # .htm and .html files open in the host's browser through winebrowser.
        for ext in .htm .html; do
            wine reg add "HKLM\\Software\\Classes\\$ext" /ve /d htmlfile /f >/dev/null 2>&1
        done
        wine reg add 'HKLM\Software\Classes\htmlfile\shell\open\command' /ve \
            /d '"C:\windows\system32\winebrowser.exe" "%1"' /f >/dev/null 2>&1
        wineserver -k 2>/dev/null || true
        "$here/scripts/wine-fonts.sh" "$WINEPREFIX"
        touch "$WINEPREFIX/.purgelet-run-ready"
    fi
    "$here/scripts/wine-fonts.sh" "$WINEPREFIX"
else
    echo "Running in the Wine prefix named by WINEPREFIX: $WINEPREFIX"
fi

exe="$build/Purgelet.exe"
if [ -n "$shot" ]; then
    command -v Xvfb >/dev/null && command -v import >/dev/null || { echo "run.sh: Xvfb and import are needed" >&2; exit 1; }
    fifo="$(mktemp -u)"
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
    xvfb=$!
    read -r num <"$fifo"
    rm -f "$fifo"
    export DISPLAY=":$num"
    echo "Running Ovk Purgelet on a virtual screen for $wait_seconds s, then saving it to $shot."
    wine "$exe" >/dev/null 2>&1 &
    program=$!
    sleep "$wait_seconds"
    status=0
    import -window root "$shot" || status=$?
    kill "$program" 2>/dev/null || true
    wait "$program" 2>/dev/null || true
    kill "$xvfb" 2>/dev/null || true
    wait "$xvfb" 2>/dev/null || true
    [ $status -eq 0 ] && echo "Saved $shot."
    exit $status
fi
if [ -z "${DISPLAY:-}" ]; then
    echo "No X display: Ovk Purgelet runs on a virtual screen (Xvfb) that nobody sees; end it with Ctrl+C."
    echo "To see its window, run under an X display, or save a picture with: scripts/run.sh --screenshot FILE.png"
    exec xvfb-run -a wine "$exe"
fi
exec wine "$exe"
