#!/usr/bin/env bash
# Fails when a source file includes a header from a folder above its own.
# Layers, lowest first; folders on one line are siblings and may include each other.
# base/ (owning handle wrappers, the error type) is the ground floor: its files
# include only system and standard headers and each other, and every other
# folder may include it.
set -euo pipefail
cd "$(dirname "$0")/.."
declare -A level=(
    [base]=0
    [framework]=1
    [core]=2
    [cleaner]=3 [cookies]=3 [xpmenu]=3 [about]=3
    [mainwindow]=4 [command]=4
    [tray]=5
    [app]=6
)
status=0
while IFS= read -r file; do
    own="${file#src/}"
    own="${own%%/*}"
    [ -n "${level[$own]:-}" ] || continue
    while IFS= read -r included; do
        [ -n "${level[$included]:-}" ] || continue
        if [ "${level[$included]}" -gt "${level[$own]}" ]; then
            echo "$file includes $included/ (a layer above $own/)" >&2
            status=1
        fi
    done < <(sed -n 's|^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([A-Za-z0-9_]*\)/.*|\1|p' "$file")
done < <(git ls-files -co --exclude-standard -- 'src/*.cpp' 'src/*.h')
# Inside the framework the form stands on the rest: only the form's own files
# include Form.h, and no framework file includes the program's resource ids.
while IFS= read -r file; do
    case "$file" in src/framework/Form.*) continue ;; esac
    if grep -Eq '^[[:space:]]*#[[:space:]]*include[[:space:]]*"(framework/Form\.h|resource_ids\.h)"' "$file"; then
        echo "$file includes Form.h or resource_ids.h (below the form, apart from the program)" >&2
        status=1
    fi
done < <(git ls-files -co --exclude-standard -- 'src/framework/*.cpp' 'src/framework/*.h')
# The command line runs on the engine alone: it includes no window code.
while IFS= read -r file; do
    if grep -Eq '^[[:space:]]*#[[:space:]]*include[[:space:]]*"(framework|mainwindow|tray|app|xpmenu|about)/' "$file"; then
        echo "$file includes window code (the command line stands on the engine alone)" >&2
        status=1
    fi
done < <(git ls-files -co --exclude-standard -- 'src/command/*.cpp' 'src/command/*.h')
exit $status
