#!/usr/bin/env bash
# Gives a Wine prefix Wine's own fonts (Debian's fonts-wine: Tahoma, MS Sans
# Serif, ...), which this Wine does not find where the package puts them
# (/usr/share/wine/fonts). Copies in the prefix's Fonts folder are found;
# without them Wine falls back to wider fonts and captions are cut.
#
#   wine-fonts.sh PREFIX
set -euo pipefail
fonts=/usr/share/wine/fonts
target="$1/drive_c/windows/Fonts"
[ -d "$fonts" ] && [ -d "$target" ] || exit 0
[ -f "$target/tahoma.ttf" ] && exit 0
cp -n "$fonts"/* "$target"/
