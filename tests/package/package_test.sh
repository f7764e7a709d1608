#!/usr/bin/env bash
# Builds the two release packages with scripts/package.sh and tries them out
# inside the build's isolated Wine prefix:
#   - the portable zip holds exactly the program, its command-line companion,
#     the companion's windowless twin and its help file;
#   - a silent install puts the files, the Start menu shortcut and the
#     registration in place, the installed program shows its main window, and
#     the installed command-line companion and its twin run beside it;
#   - while the program runs, a silent install and the README's waiting form
#     of the silent uninstall wait, then fail with exit code 3 and change
#     nothing;
#   - a silent uninstall removes the files, the shortcut, the registration and
#     the start-at-logon entry (quoted or not) when it starts the installed
#     program, keeps an entry that starts another program, keeps the settings
#     (storing that the program no longer starts at logon) and whatever else
#     lies in the folder; installed again, the program shows its main window;
#   - a second silent install over a first upgrades it in place.
#
#   package_test.sh BUILD_DIR
set -uo pipefail
# ctest ends a test that overruns with SIGKILL, which no clean-up sees: this
# script ends itself first (every process it started gets SIGTERM).
[ -n "${PACKAGE_TEST_LIMITED:-}" ] || PACKAGE_TEST_LIMITED=1 exec timeout -k 15 270 "$0" "$@"
src="$(cd "$(dirname "$0")/../.." && pwd)"
build="$(cd "$1" && pwd)"
work="$build/package-test"
export WINEPREFIX="$build/wineprefix"

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
die() {
    echo "FAIL: $*" >&2
    exit 1
}
check() { # message command...
    local message="$1"
    shift
    "$@" || fail "$message"
}
w() { timeout --foreground 120 "$src/scripts/winerun.sh" --build "$build" "$@"; }

# Packages.
rm -rf "$work"
PURGELET_BUILD="$build" PURGELET_DIST="$work" timeout --foreground 150 "$src/scripts/package.sh" >/dev/null || die "scripts/package.sh failed"
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")"
setup="Purgelet-$version-setup.exe"
portable="$work/Purgelet-$version-portable.zip"
[ -f "$work/$setup" ] || die "no $setup"
[ -f "$portable" ] || die "no portable zip"
check "the zip holds other entries than the programs and the help file: $(unzip -Z1 "$portable" | tr '\n' ' ')" \
    test "$(unzip -Z1 "$portable" | LC_ALL=C sort | tr '\n' ' ')" = "Purgelet.exe PurgeletCmd.exe PurgeletHlp.htm PurgeletTask.exe "
for exe in Purgelet.exe PurgeletCmd.exe PurgeletTask.exe; do
    check "the zip's $exe differs from the build's" cmp -s <(unzip -p "$portable" $exe) "$build/$exe"
done
check "the zip's help file differs" cmp -s <(unzip -p "$portable" PurgeletHlp.htm) "$src/res/PurgeletHlp.htm"

# Where things go in the prefix.
DISPLAY="$(w --display)" || die "cannot prepare the prefix"
export DISPLAY
user="$(id -un)"
profile="$WINEPREFIX/drive_c/users/$user"
[ -d "$profile/AppData/Local" ] || die "no profile folder $profile"
inst="$profile/AppData/Local/Programs/Ovk Purgelet"
inst_win="C:\\users\\$user\\AppData\\Local\\Programs\\Ovk Purgelet"
shortcut="$profile/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Ovk Purgelet.lnk"
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Ovk Purgelet'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
run_value="Ovk Purgelet v$version"
settings_key='HKCU\Software\Ovk Software\Purgelet\v2.0'
caption="Ovk Purgelet v$version"

reg_value() { # key name: prints the value's data; fails when it is missing
    w reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' |
        awk -F'    ' -v n="$2" '$2 == n { print $4; found = 1 } END { exit !found }'
}
reg_key_exists() { w reg query "$1" >/dev/null 2>&1; }
set_run_value() { w reg add "$run_key" /v "$run_value" /d "$1" /f >/dev/null 2>&1 || fail "cannot write the Run value"; }

# Nothing from an earlier run may be left over.
clean() {
    rm -rf "$inst" "$shortcut"
    w reg delete "$uninstall_key" /f >/dev/null 2>&1
    w reg delete "$run_key" /v "$run_value" /f >/dev/null 2>&1
    w reg delete "$settings_key" /f >/dev/null 2>&1
}
program_pids() { # Windows process ids of running Purgelet.exe copies, decimal
    local hex
    for hex in $(w winedbg --command "info proc" 2>/dev/null | tr -d '\r' | awk "/'Purgelet.exe'/ { print \$1 }"); do
        echo $((16#${hex#=}))
    done
}
program=""
stop_program() {
    [ -n "$program" ] || return 0
    local pid
    for pid in $(program_pids); do w taskkill /pid "$pid" >/dev/null 2>&1; done
    for _ in $(seq 1 40); do
        kill -0 "$program" 2>/dev/null || break
        sleep 0.5
    done
    if kill -0 "$program" 2>/dev/null; then
        fail "the program did not end when asked to close"
        for pid in $(program_pids); do w taskkill /f /pid "$pid" >/dev/null 2>&1; done
    fi
    wait "$program" 2>/dev/null
    program=""
}
# Whatever ends the script: nothing it started in the prefix outlives it.
trap 'stop_program; clean; wineserver -k 2>/dev/null' EXIT
trap 'exit 1' TERM INT
[ -z "$(program_pids)" ] || die "a Purgelet.exe already runs in the test prefix"
clean

install() { w "T:\\package-test\\$setup" /S >/dev/null 2>&1; }
# Runs the uninstaller as it runs itself (from a copy outside the folder) but
# waits for it and returns its exit code.
uninstall() {
    printf '@copy /y "%s\\Uninstall.exe" "%%TEMP%%\\purgelet-uninstall.exe" >nul\r\n@"%%TEMP%%\\purgelet-uninstall.exe" /S _?=%s\r\n@exit /b %%ERRORLEVEL%%\r\n' \
        "$inst_win" "$inst_win" >"$work/uninstall.bat"
    w cmd /c 'T:\package-test\uninstall.bat' >/dev/null 2>&1
}
# The silent uninstall exactly as the README gives it, typed at a command
# prompt (a batch file: wine's own argument handling would lose "_?=" at the
# folder's blank); returns its exit code.
readme_form="$(grep -m1 -F 'Uninstall.exe" /S _?=' "$src/README.md" | sed 's/^ *//')"
[ -n "$readme_form" ] || die "README.md gives no waiting silent uninstall"
readme_uninstall() {
    printf '@%s\r\n@exit /b %%ERRORLEVEL%%\r\n' "$readme_form" >"$work/readme-uninstall.bat"
    w cmd /c 'T:\package-test\readme-uninstall.bat' >/dev/null 2>&1
}
# Real clicks on the main window at its 96-dpi places (the window has no title
# bar under Xvfb): the "Settings" tab (the third, after "Main" and
# "Browsers"), then "Load when Windows starts".
tick_run_at_logon() { # window
    local X Y
    eval "$(xdotool getwindowgeometry --shell "$1" | grep -E '^[XY]=')"
    xdotool mousemove $((X + 142)) $((Y + 10)) click 1 && sleep 1 &&
        xdotool mousemove $((X + 29)) $((Y + 40)) click 1
}
main_window() {
    local window=""
    for _ in $(seq 1 60); do
        window="$(xdotool search --onlyvisible --name "^${caption//./\\.}\$" 2>/dev/null | head -1)"
        [ -n "$window" ] && break
        sleep 0.5
    done
    echo "$window"
}
wait_for() { # seconds command...
    local n=$(($1 * 2))
    shift
    for _ in $(seq 1 "$n"); do
        "$@" && return 0
        sleep 0.5
    done
    return 1
}
check_installed() { # when
    check "$1: Purgelet.exe differs from the build's" cmp -s "$inst/Purgelet.exe" "$build/Purgelet.exe"
    check "$1: PurgeletCmd.exe differs from the build's" cmp -s "$inst/PurgeletCmd.exe" "$build/PurgeletCmd.exe"
    check "$1: PurgeletTask.exe differs from the build's" cmp -s "$inst/PurgeletTask.exe" "$build/PurgeletTask.exe"
    check "$1: PurgeletHlp.htm differs" cmp -s "$inst/PurgeletHlp.htm" "$src/res/PurgeletHlp.htm"
    check "$1: no uninstaller" test -f "$inst/Uninstall.exe"
    check "$1: no Start menu shortcut" test -f "$shortcut"
    check "$1: the shortcut does not start the installed program" \
        grep -qaF "$inst_win\\Purgelet.exe" "$shortcut"
    local values
    values="$(w reg query "$uninstall_key" 2>/dev/null | tr -d '\r')"
    local name expected
    while IFS='|' read -r name expected; do
        local got
        got="$(awk -F'    ' -v n="$name" '$2 == n { print $4 }' <<<"$values")"
        [ "$got" = "$expected" ] || fail "$1: registration $name is '$got', not '$expected'"
    done <<EOF
DisplayName|Ovk Purgelet
DisplayVersion|$version
Publisher|Ovk Software Studio
DisplayIcon|$inst_win\\Purgelet.exe,0
UninstallString|"$inst_win\\Uninstall.exe"
QuietUninstallString|"$inst_win\\Uninstall.exe" /S _?=$inst_win
InstallLocation|$inst_win
EOF
    local size
    size="$(awk -F'    ' '$2 == "EstimatedSize" && $3 == "REG_DWORD" { print $4 }' <<<"$values")"
    [ -n "$size" ] && [ $((size)) -ge 100 ] || fail "$1: estimated size '$size' (KB) is missing or too small"
}
check_removed() { # when
    check "$1: Purgelet.exe is left" test ! -e "$inst/Purgelet.exe"
    check "$1: PurgeletCmd.exe is left" test ! -e "$inst/PurgeletCmd.exe"
    check "$1: PurgeletTask.exe is left" test ! -e "$inst/PurgeletTask.exe"
    check "$1: PurgeletHlp.htm is left" test ! -e "$inst/PurgeletHlp.htm"
    check "$1: the uninstaller is left" test ! -e "$inst/Uninstall.exe"
    check "$1: the shortcut is left" test ! -e "$shortcut"
    check "$1: the registration is left" eval '! reg_key_exists "$uninstall_key"'
}

# 1. Silent install; the installed program runs.
install || die "silent install failed (exit code $?)"
check_installed "after a silent install"

w "$inst_win\\Purgelet.exe" >/dev/null 2>&1 &
program=$!
window="$(main_window)"
[ -n "$window" ] || fail "the installed program showed no window titled '$caption'"
# The installed companion runs while the program runs.
command_version="$(w "$inst_win\\PurgeletCmd.exe" --version 2>/dev/null | tr -d '\r')"
code=$?
check "the installed PurgeletCmd.exe --version ended with $code" test "$code" = 0
check "the installed PurgeletCmd.exe --version printed '$command_version'" grep -qF " $version " <<<"$command_version"
# The windowless twin writes to the output it is given.
task_version="$(w "$inst_win\\PurgeletTask.exe" --version 2>/dev/null | tr -d '\r')"
check "the installed PurgeletTask.exe --version printed '$task_version'" grep -qF " $version " <<<"$task_version"

# 2. While it runs, neither the installer nor the uninstaller changes anything.
before="$(stat -c '%n %Y %s' "$inst"/* "$shortcut")"
install
code=$?
check "an install while the program runs ended with $code, not 3" test "$code" = 3
readme_uninstall
code=$?
check "the README's silent uninstall while the program runs ended with $code, not 3" test "$code" = 3
check "the installation changed while the program ran" test "$(stat -c '%n %Y %s' "$inst"/* "$shortcut")" = "$before"
check "the registration went while the program ran" reg_key_exists "$uninstall_key"

# 3. The user ticks "Load when Windows starts": the program registers itself
#    (quoted, the folder has a blank) and stores "RunOnStartup". The README's
#    silent uninstall waits, removes the entry and keeps the settings, which
#    then no longer claim a start at logon; installed again, the program
#    starts with its main window, the box unticked.
tick_run_at_logon "$window" || fail "cannot click the main window"
wait_for 10 test "$(reg_value "$settings_key" RunOnStartup)" = 1 || fail "ticking the box stored no RunOnStartup 1"
check "the Run value is not the quoted program" test "$(reg_value "$run_key" "$run_value")" = "\"$inst_win\\Purgelet.exe\""
stop_program
readme_uninstall
code=$?
check "the README's silent uninstall ended with $code" test "$code" = 0
# Run in place, it leaves its own file to a command that runs after it.
wait_for 10 test ! -e "$inst" || fail "the installation folder is left"
check_removed "after a silent uninstall"
check "the quoted Run value into the folder is left" eval '! reg_value "$run_key" "$run_value" >/dev/null'
check "the settings still claim a start at logon" test "$(reg_value "$settings_key" RunOnStartup)" = 0
check "the settings were removed by a silent uninstall" reg_value "$settings_key" MainTop >/dev/null
install || fail "install after an uninstall failed"
w "$inst_win\\Purgelet.exe" >/dev/null 2>&1 &
program=$!
window="$(main_window)"
if [ -n "$window" ]; then
    # Unticked: a click ticks it.
    tick_run_at_logon "$window" || fail "cannot click the main window"
    wait_for 10 test "$(reg_value "$settings_key" RunOnStartup)" = 1 || fail "the box was ticked after the reinstall"
else
    fail "installed again, the program showed no main window"
fi
stop_program

# 4. A second install over a first upgrades it in place; the uninstaller the
#    user starts removes an unquoted Run value into the folder and leaves a
#    file of the user's in the folder.
install || fail "first install of two failed"
echo "older" >"$inst/PurgeletHlp.htm"
install || fail "second install over a first failed"
check_installed "after a second install"
echo "mine" >"$inst/notes.txt"
set_run_value "$inst_win\\Purgelet.exe"
w "$inst_win\\Uninstall.exe" /S >/dev/null 2>&1 || fail "the uninstaller did not start"
# It hands over to a copy of itself and returns at once.
for _ in $(seq 1 60); do
    [ ! -e "$inst/Uninstall.exe" ] && ! reg_key_exists "$uninstall_key" && ! reg_value "$run_key" "$run_value" >/dev/null &&
        break
    sleep 0.5
done
check_removed "after the user's uninstaller"
check "the unquoted Run value into the folder is left" eval '! reg_value "$run_key" "$run_value" >/dev/null'
check "a file of the user's in the folder was removed" test "$(cat "$inst/notes.txt" 2>/dev/null)" = mine
rm -rf "$inst"

# 5. A Run value that starts a program elsewhere is not the uninstaller's.
install || fail "install after an uninstall failed"
other="$inst_win Old\\Purgelet.exe"
set_run_value "\"$other\""
uninstall
check_removed "after an uninstall with another program's Run value"
check "a Run value that starts another program was removed" test "$(reg_value "$run_key" "$run_value")" = "\"$other\""

[ $failures -eq 0 ] || { echo "$failures check(s) failed" >&2; exit 1; }
echo "packages and installer: all checks passed"
