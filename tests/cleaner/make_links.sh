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
#   C:\purgelet-links\c-root           a link to drive C:'s root, handed in as the folder itself
#   C:\purgelet-links\hostile\tree\    links and hard links that lead out of the tree:
#       plain.txt  sub\plain2.txt  sub\deeper\plain3.txt
#       file-link.txt      -> ..\outside\sentinel.txt
#       ro-link.txt        -> ..\outside\read-only.txt        (read-only target)
#       sub\file-link.txt  -> ..\..\outside\dir\inner.txt
#       sub\ro-dir-link    -> ..\..\outside\ro-dir            (read-only files inside)
#       dir-link           -> ..\outside\dir
#       sub\up             -> ..                               (the tree itself)
#       sub\deeper\top     -> ..\..\..                         (the tree's parent)
#       hard-ro.txt        a second name of outside\hard-ro.txt (read-only)
#       hard-rw.txt        a second name of outside\hard-rw.txt
#   C:\purgelet-links\hostile\outside\ the sentinels, never handed in
#   \\purgelet\tests\                  a share that is C:\purgelet-tests\
#
#   make_links.sh BUILD_DIR
set -euo pipefail
source "$(dirname "$0")/../support/host/prefix.sh" "$@"

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
ln -s .. c-root  # drive_c

mkdir -p hostile/outside/dir hostile/outside/ro-dir hostile/tree/sub/deeper
(
    cd hostile
    for f in sentinel.txt read-only.txt hard-ro.txt hard-rw.txt dir/inner.txt ro-dir/a.txt ro-dir/b.txt; do
        printf 'keep\n' > "outside/$f"
    done
    printf 'x\n' > tree/plain.txt
    printf 'x\n' > tree/sub/plain2.txt
    printf 'x\n' > tree/sub/deeper/plain3.txt
    ln -s ../outside/sentinel.txt tree/file-link.txt
    ln -s ../outside/read-only.txt tree/ro-link.txt
    ln -s ../../outside/dir/inner.txt tree/sub/file-link.txt
    ln -s ../../outside/ro-dir tree/sub/ro-dir-link
    ln -s ../outside/dir tree/dir-link
    ln -s .. tree/sub/up
    ln -s ../../.. tree/sub/deeper/top
    ln outside/hard-ro.txt tree/hard-ro.txt
    ln outside/hard-rw.txt tree/hard-rw.txt
    # Wine shows a file without write permission as read-only.
    chmod a-w outside/read-only.txt outside/hard-ro.txt outside/ro-dir/a.txt outside/ro-dir/b.txt
)

# A UNC share for the tests: Wine looks up \\server\share in dosdevices/unc.
mkdir -p "$drive_c/purgelet-tests" "$prefix/dosdevices/unc/purgelet"
ln -sfn ../../../drive_c/purgelet-tests "$prefix/dosdevices/unc/purgelet/tests"
