#!/usr/bin/env bash
# Runs the tray tests that need real X input (TrayRealInput.*) inside the
# build's isolated Wine prefix. The Windows side asks for input through files
# in BUILD/tray-input (T:\tray-input\ inside the prefix); this script carries
# it out with xdotool and takes pictures of the screen with ImageMagick:
#   move X Y            the pointer to a screen point
#   click BUTTON        press and release a mouse button (1 left, 3 right)
#   shot NAME X Y W H   BUILD/tray-input/NAME.png from that part of the screen
#
#   tray_input.sh BUILD_DIR
set -uo pipefail
src="$(cd "$(dirname "$0")/../.." && pwd)"
build="$(cd "$1" && pwd)"
dir="$build/tray-input"

"$src/scripts/winerun.sh" --build "$build" || exit 1
if [ -z "${DISPLAY:-}" ]; then
    read -r _ num < "$build/.xvfb" || exit 1
    export DISPLAY=":$num"
fi
command -v xdotool >/dev/null && command -v import >/dev/null || { echo "xdotool and ImageMagick are needed" >&2; exit 1; }

rm -rf "$dir"
mkdir -p "$dir"
number='^-?[0-9]+$'
serve() {
    while :; do
        if [ -f "$dir/request" ]; then
            read -r cmd a b c d e < <(tr -d '\r' < "$dir/request") || true
            rm -f "$dir/request"
            case "$cmd" in
                move) [[ $a =~ $number && $b =~ $number ]] && xdotool mousemove "$a" "$b" ;;
                click) [[ $a =~ ^[1-3]$ ]] && xdotool click "$a" ;;
                shot) [[ $a =~ ^[a-z-]+$ && $b =~ $number && $c =~ $number && $d =~ $number && $e =~ $number ]] &&
                    import -window root -crop "${d}x${e}+${b}+${c}" +repage "$dir/$a.png" ;;
            esac
            touch "$dir/done"
        fi
        sleep 0.05
    done
}
serve &
server=$!
trap 'kill "$server" 2>/dev/null' EXIT

"$src/scripts/winerun.sh" --build "$build" "$build/tests/test_tray.exe" \
    --gtest_also_run_disabled_tests --gtest_filter='TrayRealInput.*'
