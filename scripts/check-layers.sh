#!/usr/bin/env bash
# Fails when a source file includes a header from a folder above its own.
# Layers, lowest first; folders on one line are siblings and may include each other.
set -euo pipefail
cd "$(dirname "$0")/.."
declare -A level=(
    [framework]=0
    [core]=1
    [cleaner]=2 [cookies]=2 [xpmenu]=2 [about]=2
    [mainwindow]=3
    [tray]=4
    [app]=5
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
exit $status
