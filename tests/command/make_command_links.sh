#!/usr/bin/env bash
# Lays out, from the host side, the links the command line's tests clear
# around (Wine can make no links itself): in each folder they empty, a file
# link and a folder link to sentinels outside, which must stay untouched.
#
#   C:\purgelet-command\outside\sentinel.txt, outside\inner\keep.txt
#   C:\purgelet-command\xp\profile\Local Settings\Temp\{out.txt,out-dir}
#   C:\purgelet-command\vista-temp\{out.txt,out-dir}
#   C:\purgelet-command\browsers\ff\cache2\{out.txt,out-dir}   (a browser profile kept elsewhere)
#
#   make_command_links.sh BUILD_DIR
set -euo pipefail
source "$(dirname "$0")/../support/host/prefix.sh" "$@"

top="$drive_c/purgelet-command"
# rm -rf removes links, never what they point to.
rm -rf "$top"
mkdir -p "$top/outside/inner"
printf 'keep\n' > "$top/outside/sentinel.txt"
printf 'keep\n' > "$top/outside/inner/keep.txt"
for folder in "xp/profile/Local Settings/Temp" vista-temp browsers/ff/cache2; do
    mkdir -p "$top/$folder"
    up="$(realpath --relative-to="$top/$folder" "$top")"
    ln -s "$up/outside/sentinel.txt" "$top/$folder/out.txt"
    ln -s "$up/outside" "$top/$folder/out-dir"
done

# Other names for folders that are never emptied: links to the profile and
# to the Windows folder, and a share name that stands for drive C:
# (\\localhost\c$, as Wine maps it below dosdevices\unc).
user="$(id -un)"
ln -s "../users/$user" "$top/lnk_prof"
ln -s "../windows" "$top/lnk_win"
mkdir -p "$top/cwd" "$prefix/dosdevices/unc/localhost"
ln -sfn ../../../drive_c "$prefix/dosdevices/unc/localhost/c\$"
