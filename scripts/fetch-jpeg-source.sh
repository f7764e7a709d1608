#!/usr/bin/env bash
# Fetches Debian's libjpeg-turbo source package into SOURCE_DIR (see
# fetch-debian-source.sh).
#
#   fetch-jpeg-source.sh SOURCE_DIR WORK_DIR
set -euo pipefail
exec "$(dirname "$0")/fetch-debian-source.sh" libjpeg-turbo "$@"
