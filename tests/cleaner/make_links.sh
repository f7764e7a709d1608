#!/usr/bin/env bash
# Lays out, from the host side, the links the file removal tests need inside
# the build's own Wine prefix (Wine itself can create neither junctions nor
# symbolic links). Everything is remade on every run and stays inside the
# prefix:
#
#   C:\purgelet-links\tree\            files, sub-folders and folder links to clear
#       a.txt  sub\b.txt  sub\deeper\c.txt
#       dir-link        -> ..\target-tree
#       sub\inner-link  -> ..\..\target-inner
#   C:\purgelet-links\stale\           folder links that the tests present to the
#       other.txt  mid\m.txt              routines as plain folders, as a listing
#       victim          -> ..\target-stale        taken just before a link was put
#       mid\victim      -> ..\..\target-stale-inner  in a folder's place shows it
#   C:\purgelet-links\target-*\        link targets, each with files and a sub-folder
#   C:\purgelet-links\top-link         a link to top-target, handed in as the folder itself
#   \\purgelet\tests\                  a share that is C:\purgelet-tests\
#
#   make_links.sh BUILD_DIR
set -euo pipefail

build="${1:?usage: make_links.sh BUILD_DIR}"
build="$(cd "$build" && pwd)"
here="$(cd "$(dirname "$0")/../.." && pwd)"

# Make sure the prefix exists (and is sealed) before anything is put in it.
"$here/scripts/winerun.sh" --build "$build"

prefix="$build/wineprefix"
drive_c="$prefix/drive_c"
if [ ! -d "$drive_c" ] || [ -L "$drive_c" ]; then
    echo "make_links: no drive_c in $prefix" >&2
    exit 1
fi

links="$drive_c/purgelet-links"
# rm -rf removes links, never what they point to.
rm -rf "$links"
mkdir -p "$links"
cd "$links"

target() {  # a link target holding two files, one in a sub-folder
    mkdir -p "$1/inner"
    printf 'keep\n' > "$1/keep.txt"
    printf 'keep\n' > "$1/inner/keep2.txt"
}

target target-tree
target target-inner
target target-stale
target target-stale-inner
target top-target

mkdir -p tree/sub/deeper
printf 'x\n' > tree/a.txt
printf 'x\n' > tree/sub/b.txt
printf 'x\n' > tree/sub/deeper/c.txt
ln -s ../target-tree tree/dir-link
ln -s ../../target-inner tree/sub/inner-link

mkdir -p stale/mid
printf 'x\n' > stale/other.txt
printf 'x\n' > stale/mid/m.txt
ln -s ../target-stale stale/victim
ln -s ../../target-stale-inner stale/mid/victim

ln -s top-target top-link

# A UNC share for the tests: Wine looks up \\server\share in dosdevices/unc.
mkdir -p "$drive_c/purgelet-tests" "$prefix/dosdevices/unc/purgelet"
ln -sfn ../../../drive_c/purgelet-tests "$prefix/dosdevices/unc/purgelet/tests"
