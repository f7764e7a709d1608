#!/usr/bin/env bash
# Runs a test program under Wine (scripts/winerun.sh) and carries out its
# requests for real X input with xdotool on the same display.
#
#   with_real_input.sh BUILD_DIR test_program.exe [arguments...]
#
# The test program writes one request per file into BUILD_DIR/input-requests
# (drive T: inside the prefix; tests/support/RealInput.h), "<n>.req" holding
#   click X Y BUTTON     the pointer to a screen point, a button (1 left, 3 right) pressed and released
#   move X Y             the pointer to a screen point
#   key KEYS             keys as xdotool names them
#   shot NAME X Y W H    BUILD_DIR/shots/NAME.png from that part of the screen (ImageMagick)
# and the answer "<n>.done" holds the exit status. Nothing else is ever run.
set -euo pipefail
build="$(cd "$1" && pwd)"; shift
: "${PURGELET_VERSION:?the program's version, set by the test's properties}"
here="$(cd "$(dirname "$0")/../.." && pwd)"
command -v xdotool >/dev/null || { echo "with_real_input: xdotool is missing" >&2; exit 1; }

# The display the program's windows go to (the build's own, never the caller's).
DISPLAY="$("$here/scripts/winerun.sh" --build "$build" --display)"
export DISPLAY

queue="$build/input-requests"
shots="$build/shots"
rm -rf "$queue"
mkdir -p "$queue" "$shots"
number='^[0-9]+$'

serve() {
    local req words status base
    while :; do
        for req in "$queue"/*.req; do
            [ -e "$req" ] || continue
            base="${req%.req}"
            read -r -a words < "$req" || true
            status=2
            case "${words[0]:-}" in
                click)
                    if [[ "${words[1]:-}" =~ $number && "${words[2]:-}" =~ $number && "${words[3]:-}" =~ ^[1-3]$ ]]; then
                        status=0
                        xdotool mousemove "${words[1]}" "${words[2]}" && xdotool click "${words[3]}" || status=$?
                    fi ;;
                move)
                    if [[ "${words[1]:-}" =~ $number && "${words[2]:-}" =~ $number ]]; then
                        status=0
                        xdotool mousemove "${words[1]}" "${words[2]}" || status=$?
                    fi ;;
                shot)
                    if [[ "${words[1]:-}" =~ ^[a-z-]+$ && "${words[2]:-}" =~ $number && "${words[3]:-}" =~ $number &&
                          "${words[4]:-}" =~ $number && "${words[5]:-}" =~ $number ]]; then
                        status=0
                        import -window root -crop "${words[4]}x${words[5]}+${words[2]}+${words[3]}" +repage \
                            "$shots/${words[1]}.png" || status=$?
                    fi ;;
                key)
                    if [[ "${words[1]:-}" =~ ^[A-Za-z0-9_+]+$ ]]; then
                        status=0
                        xdotool key "${words[1]}" || status=$?
                    fi ;;
            esac
            rm -f "$req"
            echo "$status" > "$base.tmp"
            mv "$base.tmp" "$base.done"
        done
        sleep 0.05
    done
}

cleanup() {
    kill "$server" 2>/dev/null || true
    wait "$server" 2>/dev/null || true
    rm -rf "$queue"
    # A registration left behind would start the program whenever Wine boots this prefix.
    "$here/scripts/winerun.sh" --build "$build" reg delete \
        'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' /v "Ovk Purgelet v$PURGELET_VERSION" /f >/dev/null 2>&1 || true
}

serve &
server=$!
trap cleanup EXIT
status=0
"$here/scripts/winerun.sh" --build "$build" "$@" || status=$?
exit $status
