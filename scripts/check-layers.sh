#!/usr/bin/env bash
# Fails when a source file leans on a folder above its own: an include that
# points up, window code in the engine, or a definition of what base/ or
# core/ declares made in another folder.
# Layers, lowest first; folders on one line are siblings and may include each other.
# base/ (owning handle wrappers, the error type) is the ground floor: its files
# include only system and standard headers and each other, and every other
# folder may include it. core/ stands above framework/ in the table only so
# that the framework never includes the program; core/ includes no framework
# either (checked below, with the rest of the engine).
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
# The engine stands on no window: the program state, the cleaning engine and
# the command line include nothing of the window framework or of a folder
# that makes windows, so a console program runs them.
window='framework|cookies|xpmenu|about|mainwindow|tray|app'
while IFS= read -r file; do
    while IFS= read -r included; do
        echo "$file includes $included/ (window code; core/, cleaner/ and command/ stay window-free)" >&2
        status=1
    done < <(sed -nE "s@^[[:space:]]*#[[:space:]]*include[[:space:]]*\"($window)/.*@\1@p" "$file")
done < <(git ls-files -co --exclude-standard -- 'src/core/*.cpp' 'src/core/*.h' 'src/cleaner/*.cpp' 'src/cleaner/*.h' \
    'src/command/*.cpp' 'src/command/*.h')
# The engine's rooms: the removal stands on none of the others (nor on the
# engine's own folder above it), and the browsers' room knows nothing of
# Internet Explorer's cache.
room_rule() {
    local room="$1" forbidden="$2"
    while IFS= read -r file; do
        while IFS= read -r included; do
            echo "$file includes $included (the $room room leans on no such room)" >&2
            status=1
        done < <(sed -nE "s@^[[:space:]]*#[[:space:]]*include[[:space:]]*\"(cleaner/($forbidden)[^\"]*)\".*@\1@p" "$file")
    done < <(git ls-files -co --exclude-standard -- "src/cleaner/$room/*.cpp" "src/cleaner/$room/*.h")
}
room_rule removal 'iecache/|browsers/|[A-Za-z]+\.h'
room_rule browsers 'iecache/'
# What base/ and core/ declare, they define: no member of a class of theirs is
# defined in another folder (a definition at the start of a line, named
# Class::Name( after its return type), so nothing below leans on code above.
for floor in base core; do
    mapfile -t classes < <(git ls-files -co --exclude-standard -- "src/$floor/*.h" | xargs -r sed -nE \
        's/^[[:space:]]*(class|struct)[[:space:]]+([A-Za-z_][A-Za-z0-9_]*)([[:space:]]+final)?[[:space:]]*(:[^;{]*)?\{.*/\2/p' |
        sort -u)
    [ ${#classes[@]} -gt 0 ] || continue
    names=$(IFS='|'; echo "${classes[*]}")
    while IFS= read -r hit; do
        echo "${hit%%:*} defines ${hit#*:} (declared in $floor/, defined there only)" >&2
        status=1
    done < <(git ls-files -co --exclude-standard -- 'src/*.cpp' 'src/*.h' | grep -v "^src/$floor/" | xargs -r grep -EoH \
        "^([A-Za-z_][^=(;/]*[[:space:]*&])?($names)::~?[A-Za-z_][A-Za-z0-9_]*[[:space:]]*\(" |
        sed -E 's/[[:space:]]*\($//; s/:.*[[:space:]*&]([A-Za-z_][A-Za-z0-9_]*::)/:\1/')
done
exit $status
