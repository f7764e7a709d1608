#!/usr/bin/env bash
# Fetches one of Debian's source packages (libjpeg-turbo, sqlite3,
# publicsuffix) and unpacks it, with Debian's patches applied, into SOURCE_DIR.
#
#   fetch-debian-source.sh PACKAGE SOURCE_DIR WORK_DIR
#
# apt is pointed at a sources list, package lists and cache of its own inside
# WORK_DIR (a deb-src entry for the Debian archive this machine already uses),
# so the host's apt set-up is neither read for sources nor changed. Nothing is
# fetched again once SOURCE_DIR holds the unpacked source.
set -euo pipefail
package="$1"
source_dir="$2"
work="$3"

if [ -f "$source_dir/.purgelet-fetched" ]; then
    exit 0
fi

apt_dir="$work/apt"
mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$apt_dir/sources.list.d" "$work/download"

# The Debian archive and suites the machine installs from (main component),
# as apt itself reports them; the release's own suite when none is found.
mapfile -t entries < <(apt-cache policy 2>/dev/null |
    sed -nE 's#^ +[0-9]+ +(https?://[^ ]*debian[^ ]*) +([^ /]+)/main .*Packages$#\1 \2#p' | sort -u)
if [ ${#entries[@]} -eq 0 ]; then
    codename="$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")"
    entries=("http://deb.debian.org/debian $codename")
fi
keyring=/usr/share/keyrings/debian-archive-keyring.gpg
options=""
[ -f "$keyring" ] && options="[signed-by=$keyring] "
: > "$apt_dir/sources.list"
for entry in "${entries[@]}"; do
    read -r uri suite <<< "$entry"
    echo "deb-src ${options}$uri $suite main" >> "$apt_dir/sources.list"
done

apt_options=(
    -o "Dir::Etc::sourcelist=$apt_dir/sources.list"
    -o "Dir::Etc::sourceparts=$apt_dir/sources.list.d"
    -o "Dir::State::Lists=$apt_dir/lists"
    -o "Dir::Cache=$apt_dir/cache"
)
# As root, apt would hand the download to its sandbox user, who may not be
# able to write into a build folder.
[ "$(id -u)" -eq 0 ] && apt_options+=(-o "APT::Sandbox::User=root")

echo "Fetching the $package source package (deb-src: ${entries[*]})"
apt-get -qq "${apt_options[@]}" update
(cd "$work/download" && apt-get -qq "${apt_options[@]}" source --download-only "$package")

# Unpacked beside the downloaded files (dpkg-source puts a copy of the
# original tarball next to what it unpacks), then moved into place.
dsc="$(cd "$work/download" && ls -t "${package}"_*.dsc | head -n 1)"
rm -rf "$work/download/unpacked" "$source_dir"
(cd "$work/download" && dpkg-source --no-check -x "$dsc" unpacked >/dev/null)
mv "$work/download/unpacked" "$source_dir"
touch "$source_dir/.purgelet-fetched"
