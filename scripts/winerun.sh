#!/usr/bin/env bash
# Runs a Windows program inside the project's isolated Wine prefix.
#
#   winerun.sh [--build DIR] program.exe [arguments...]
#   winerun.sh [--build DIR] --display    prints the display the programs use
#
# The prefix lives in DIR/wineprefix (DIR defaults to $PURGELET_BUILD, else ./build).
# It is made once and reused: Mono/Gecko prompts and the crash dialog are off,
# drive Z: (the host's root) is removed and the profile folders that Wine links
# into the host's home are replaced by plain folders, so nothing run here can
# reach host files. The build folder is mapped as drive T:.
# The programs never see the caller's own X display (DISPLAY is ignored): an
# Xvfb server is started for the build folder and kept for later runs, unless
# PURGELET_TEST_DISPLAY names a display to show them on (to watch the tests,
# or on a machine without Xvfb). One wineserver is kept alive as well.
set -euo pipefail

BUILD="${PURGELET_BUILD:-$PWD/build}"
if [ "${1:-}" = "--build" ]; then BUILD="$2"; shift 2; fi
unset DISPLAY
BUILD="$(cd "$BUILD" && pwd)"

export WINEPREFIX="$BUILD/wineprefix"
export WINEARCH=win64
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="

prepare_prefix() {
    if [ ! -f "$WINEPREFIX/.purgelet-ready" ]; then
        rm -rf "$WINEPREFIX"
        wineboot --init >/dev/null 2>&1 || true
        wineserver -w || true
        wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
        wine reg add 'HKCU\Software\Wine\DllOverrides' /v winemenubuilder.exe /d '' /f >/dev/null 2>&1
        wineserver -w || true
        touch "$WINEPREFIX/.purgelet-ready"
    fi
    # Keep the prefix sealed off from the host on every run (a Wine update may
    # bring the links back).
    rm -f "$WINEPREFIX/dosdevices/z:"
    "$(dirname "$0")/wine-fonts.sh" "$WINEPREFIX"
    ln -sfn "$BUILD" "$WINEPREFIX/dosdevices/t:"
    local u
    for u in "$WINEPREFIX"/drive_c/users/*/; do
        local d
        for d in "$u"* "$u"AppData/Roaming/Microsoft/Windows/Templates; do
            if [ -L "$d" ]; then rm -f "$d"; mkdir -p "$d"; fi
        done
    done
}

start_display() {
    if [ -n "${PURGELET_TEST_DISPLAY:-}" ]; then export DISPLAY="$PURGELET_TEST_DISPLAY"; return 0; fi
    local state="$BUILD/.xvfb"
    if [ -f "$state" ]; then
        local pid num
        read -r pid num < "$state" || true
        if [ -n "${pid:-}" ] && kill -0 "$pid" 2>/dev/null; then
            export DISPLAY=":$num"; return 0
        fi
    fi
    command -v Xvfb >/dev/null || { echo "winerun: no Xvfb (or name a display in PURGELET_TEST_DISPLAY)" >&2; return 1; }
    # A wineserver left from an earlier display would show its windows there.
    wineserver -k 2>/dev/null || true
    local fifo; fifo="$(mktemp -u)"; mkfifo "$fifo"
    setsid Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
    local xpid=$!
    local num; read -r num < "$fifo"; rm -f "$fifo"
    echo "$xpid $num" > "$state"
    export DISPLAY=":$num"
}

mkdir -p "$BUILD"
exec 9>"$BUILD/.winerun.lock"
flock 9
prepare_prefix
start_display
# A new wineserver: start Wine's own services now, detached from our output,
# so no later run leaves them holding the caller's pipes open.
if wineserver -p >/dev/null 2>&1 || [ ! -f "$BUILD/.wine-warm" ]; then
    wine cmd /c exit </dev/null >/dev/null 2>&1 || true
    touch "$BUILD/.wine-warm"
fi
flock -u 9
exec 9>&-

if [ $# -eq 0 ]; then exit 0; fi
if [ "$1" = "--display" ]; then echo "$DISPLAY"; exit 0; fi
exec wine "$@"
