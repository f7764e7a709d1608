#!/usr/bin/env bash
# Lays the profiles written by real browsers (the real-profiles-b set: whole
# Chromium and Firefox profiles, with its own lay.py) into the build's Wine
# prefix the way Windows keeps them, for the tests that open the browsers'
# own files:
#
#   C:\purgelet-real-profiles\AppData\Local\Microsoft\Edge\User Data\...
#   C:\purgelet-real-profiles\AppData\Roaming\Mozilla\Firefox\...
#
# Remade on every run, so each run starts from the files as the browsers
# wrote them. Without the set (ARCHIVE missing or not given) the folder is
# only removed, and the tests that need it say so and are skipped.
#
#   lay_real_profiles.sh BUILD_DIR [ARCHIVE]
set -euo pipefail
source "$(dirname "$0")/../support/host/prefix.sh" "$@"
archive="${2:-}"

laid="$drive_c/purgelet-real-profiles"
rm -rf "$laid"
if [ -z "$archive" ] || [ ! -f "$archive" ]; then
    echo "$name: no real-profiles-b archive (${archive:-none named}); nothing laid"
    exit 0
fi

unpacked="$build/real-profiles"
rm -rf "$unpacked"
mkdir -p "$unpacked"
trap 'rm -rf "$unpacked"' EXIT
tar -xzf "$archive" -C "$unpacked"
mkdir -p "$laid"
python3 "$unpacked/real-profiles-b/lay.py" "$unpacked/real-profiles-b" "$laid" >/dev/null
