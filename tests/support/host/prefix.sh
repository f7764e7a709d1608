# The prologue of the host-side fixture scripts, sourced with the build
# folder as the first argument. It makes sure the build's Wine prefix exists
# (and is sealed) before anything is put in it, and sets
#   build    the build folder          here     the source tree
#   prefix   the build's Wine prefix   drive_c  its drive C:, a real folder (never a link)
# Whatever a fixture script lays out stays below drive_c.
name="$(basename "$0" .sh)"
build="${1:?usage: $name.sh BUILD_DIR}"
build="$(cd "$build" && pwd)"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)"

"$here/scripts/winerun.sh" --build "$build"

prefix="$build/wineprefix"
drive_c="$prefix/drive_c"
if [ ! -d "$drive_c" ] || [ -L "$drive_c" ]; then
    echo "$name: no drive_c in $prefix" >&2
    exit 1
fi
