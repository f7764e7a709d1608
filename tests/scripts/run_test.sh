#!/usr/bin/env bash
# scripts/run.sh as a newcomer without a display starts it: it leaves the
# user's own Wine prefix alone, uses a prefix of its own in which .htm files
# have a program, and --screenshot saves a picture of the program's window.
# It runs the built program from a build folder of the test's own (so the
# prefix is the test's too), without installing or building anything.
#
#   run_test.sh BUILD_DIR
set -uo pipefail
unset DISPLAY
src="$(cd "$(dirname "$0")/../.." && pwd)"
build="$(cd "$1" && pwd)"
work="$build/tests/run-test"
rm -rf "$work"
mkdir -p "$work/home" "$work/build"
cp "$build/Purgelet.exe" "$build/PurgeletHlp.htm" "$work/build/"
trap 'WINEPREFIX="$work/build/run-wineprefix" wineserver -k 2>/dev/null' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

env -u WINEPREFIX HOME="$work/home" PURGELET_BUILD="$work/build" PURGELET_RUN_AS_BUILT=1 \
    timeout 280 "$src/scripts/run.sh" --screenshot "$work/shot.png" 8 >"$work/out.txt" 2>&1 ||
    fail "run.sh --screenshot failed: $(tail -3 "$work/out.txt")"
[ ! -e "$work/home/.wine" ] || fail "run.sh made or changed the user's default prefix ~/.wine"
prefix="$work/build/run-wineprefix"
[ -f "$prefix/system.reg" ] || fail "no prefix of the program's own at $prefix"
# Nothing else than the program's window can have drawn on the virtual screen.
colours="$(convert "$work/shot.png" -format '%k' info: 2>/dev/null || echo 0)"
[ "$colours" -gt 20 ] || fail "the screenshot shows no window ($colours colours)"
association="$(WINEPREFIX="$prefix" WINEDEBUG=-all wine reg query 'HKCR\htmlfile\shell\open\command' /ve 2>/dev/null | tr -d '\r')"
for ext in .htm .html; do
    WINEPREFIX="$prefix" WINEDEBUG=-all wine reg query "HKCR\\$ext" /ve 2>/dev/null | grep -q htmlfile ||
        fail "$ext has no association in the program's prefix"
done
grep -qi 'winebrowser' <<<"$association" || fail ".htm files open with no program: '$association'"
[ $failures -eq 0 ] || exit 1
echo "run.sh: all checks passed"
