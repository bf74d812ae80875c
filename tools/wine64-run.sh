#!/bin/sh
# Runs a 64-bit Windows program under Wine with the project's prefix (created by tools/setup.sh).
here=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX="${QUIBEL_WINEPREFIX:-${QUIBEL_CACHE:-$here/.cache}/wine64}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
exec /usr/lib/wine/wine64 "$@"
