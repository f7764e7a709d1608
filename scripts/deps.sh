#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian machine, skipping
# what is already there.
set -euo pipefail
packages=(cmake make dpkg-dev gcc g++-mingw-w64-x86-64 googletest libjpeg62-turbo-dev wine wine64 xvfb xauth xdotool imagemagick clang-format)
# Wine's own fonts (only recommended by wine, and recommendations are not
# installed): without them Wine falls back to wider fonts and captions are cut.
packages+=(fonts-wine)
# SQLite's amalgamation is made from Debian's source by its own build, with
# the host's compiler (gcc, above) and tclsh.
packages+=(tcl)
# LevelDB and Snappy come from Debian's source as SQLite does (dpkg-dev,
# above) and are cross-built with CMake and make; nothing more is needed.
# The tests lay the profiles written by real browsers with the set's own
# Python script.
packages+=(python3)
# JSON and INI files are read with the header-only nlohmann-json and SimpleIni.
packages+=(nlohmann-json3-dev libsimpleini-dev)
# Packaging: makensis for the installer, zip for the portable archive.
packages+=(nsis zip unzip)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
echo "Installing: ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
