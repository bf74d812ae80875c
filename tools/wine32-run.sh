#!/bin/sh
# Runs a 32-bit Windows program under Wine through qemu-i386 emulation (the x86wine tools beside the
# project), with the project's x86 prefix (created by tools/setup.sh).
here=$(cd "$(dirname "$0")/.." && pwd)
cache=${QUIBEL_CACHE:-$here/.cache}
export X86WINE_STATE="$cache/x86wine"
export WINEPREFIX="${QUIBEL_WINEPREFIX32:-$cache/wine32}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
exec "$here/../shared/tools/x86wine/x86ns" /usr/lib/wine/wine64 "$@"
