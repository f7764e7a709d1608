#!/usr/bin/env bash
# Fetches the Public Suffix List, public_suffix_list.dat, into FILE.
#
#   fetch-public-suffix-list.sh FILE WORK_DIR
#
# It comes from Debian's publicsuffix source package, through
# fetch-debian-source.sh (WORK_DIR/source, apt's own set-up inside WORK_DIR).
# Some mirrors serve that package's description but not its files (404): then
# the list is taken from the binary package of the same name, which installs
# the very same file as /usr/share/publicsuffix/public_suffix_list.dat, fetched
# through the same private apt set-up with a deb entry beside each deb-src one.
# Both folders must be absolute. Nothing is fetched again once FILE is there.
set -euo pipefail
file="$1"
work="$2"
here="$(cd "$(dirname "$0")" && pwd)"

[ -f "$file" ] && exit 0

if "$here/fetch-debian-source.sh" publicsuffix "$work/source" "$work"; then
    cp "$work/source/public_suffix_list.dat" "$file.new"
    mv "$file.new" "$file"
    exit 0
fi

apt_dir="$work/apt"
echo "The publicsuffix source package's files cannot be fetched; taking the list from its binary package"
sed -nE 's/^deb-src /deb /p' "$apt_dir/sources.list" > "$apt_dir/binary.list"
apt_options=(
    -o "Dir::Etc::sourcelist=$apt_dir/binary.list"
    -o "Dir::Etc::sourceparts=$apt_dir/sources.list.d"
    -o "Dir::State::Lists=$apt_dir/binary-lists"
    -o "Dir::Cache=$apt_dir/cache"
)
[ "$(id -u)" -eq 0 ] && apt_options+=(-o "APT::Sandbox::User=root")
mkdir -p "$apt_dir/binary-lists/partial" "$work/binary"
apt-get -qq "${apt_options[@]}" update
(cd "$work/binary" && rm -f publicsuffix_*.deb && apt-get -qq "${apt_options[@]}" download publicsuffix)
deb="$(ls "$work/binary"/publicsuffix_*.deb)"
echo "Unpacking $(basename "$deb")"
rm -rf "$work/binary/unpacked"
dpkg-deb -x "$deb" "$work/binary/unpacked"
cp "$work/binary/unpacked/usr/share/publicsuffix/public_suffix_list.dat" "$file.new"
mv "$file.new" "$file"
