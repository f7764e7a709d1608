#!/usr/bin/env bash
# Lays out, from the host side, the drive the clearing runs of the main window
# tests work on, with a folder link in every folder a category empties (Wine
# itself can make no links). Remade on every run; it all stays in the prefix:
#
#   Q:  is  C:\purgelet-clearing\drive-q\
#   Q:\sentinel\                      keep.txt, inner\keep2.txt: never to be touched
#   Q:\WINDOWS\Temp\                  each of these holds sentinel-link -> Q:\sentinel
#   Q:\WINDOWS\Recent\
#   Q:\WINDOWS\Temporary Internet Files\
#   Q:\WINDOWS\Profiles\USER\{Recent,Temp,Temporary Internet Files}\
#   Q:\Documents and Settings\USER\{Recent,Local Settings\Temp,Local Settings\Temporary Internet Files}\
#
# for every USER that has a profile in the prefix; and, for the folders Wine's
# shell names on Windows Vista and later, the same link in the prefix's own
#
#   C:\users\USER\{Temp,AppData\Local\Microsoft\Windows\INetCache,AppData\Roaming\Microsoft\Windows\Recent}\
#
#   make_clearing_drive.sh BUILD_DIR
set -euo pipefail
source "$(dirname "$0")/../support/host/prefix.sh" "$@"

root="$drive_c/purgelet-clearing"
# rm -rf removes links, never what they point to.
rm -rf "$root"
q="$root/drive-q"
mkdir -p "$q/sentinel/inner"
printf 'keep\n' > "$q/sentinel/keep.txt"
printf 'keep\n' > "$q/sentinel/inner/keep2.txt"

link_in() {  # a folder to be emptied, holding a link to the sentinel
    mkdir -p "$q/$1"
    ln -sr "$q/sentinel" "$q/$1/sentinel-link"
}

link_in "WINDOWS/Temp"
link_in "WINDOWS/Recent"
link_in "WINDOWS/Temporary Internet Files"
for profile in "$drive_c"/users/*/; do
    user="$(basename "$profile")"
    [ "$user" = "Public" ] && continue
    link_in "WINDOWS/Profiles/$user/Recent"
    link_in "WINDOWS/Profiles/$user/Temp"
    link_in "WINDOWS/Profiles/$user/Temporary Internet Files"
    link_in "Documents and Settings/$user/Recent"
    link_in "Documents and Settings/$user/Local Settings/Temp"
    link_in "Documents and Settings/$user/Local Settings/Temporary Internet Files"
    [ -L "${profile%/}" ] && continue
    # WinInet makes its cache index and containers afresh where none is: a
    # cache that an earlier build's clearing left without its containers
    # would otherwise fail every test that stores an entry.
    rm -rf "${profile}AppData/Local/Microsoft/Windows/INetCache/Content.IE5"
    for shell_folder in Temp AppData/Local/Microsoft/Windows/INetCache AppData/Roaming/Microsoft/Windows/Recent; do
        mkdir -p "$profile$shell_folder"
        ln -sfnr "$q/sentinel" "$profile$shell_folder/sentinel-link"
    done
done

ln -sfn ../drive_c/purgelet-clearing/drive-q "$prefix/dosdevices/q:"
