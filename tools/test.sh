#!/usr/bin/env bash
# Sets the machine up (tools/setup.sh), then builds and runs every test in every configuration:
# native (g++ with AddressSanitizer and UBSan), win64 (mingw-w64 x86_64, tests under Wine) and
# win32 (mingw-w64 i686, tests under Wine through qemu-i386 emulation when the x86wine tools lie
# beside the project; built only otherwise). The Windows suites open editor windows on an Xvfb
# display started here (on a free display number) and ended at the end.
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$repo"

bash tools/setup.sh

cache=${QUIBEL_CACHE:-$repo/.cache}
# Keep one wineserver running through the win64 tests instead of starting one per program, with
# Wine's background services started here, outside the tests: a service started by a test would
# hold the test's output pipe open until the server ends.
warm_wine64() {
  WINEPREFIX="$cache/wine64" WINEDEBUG=-all /usr/lib/wine/wineserver -p 120 2>/dev/null || true
  WINEPREFIX="$cache/wine64" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
    /usr/lib/wine/wine64 cmd.exe /c exit >/dev/null 2>&1 </dev/null || true
}
# shellcheck source=tools/xvfb.sh
. "$repo/tools/xvfb.sh"
trap 'WINEPREFIX="$cache/wine64" /usr/lib/wine/wineserver -k 2>/dev/null || true; stop_xvfb' EXIT

x86=no
[ -x "$repo/../shared/tools/x86wine/x86ns" ] && [ -f "$cache/wine32/system.reg" ] && x86=yes

status=0
for preset in native win64 win32; do
  echo "== $preset: configure and build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done
echo "== native: tests"
ctest --preset native || status=1
start_xvfb
echo "== win64: tests (under Wine, display $DISPLAY)"
warm_wine64
ctest --preset win64 || status=1
if [ "$x86" = yes ]; then
  echo "== win32: tests (x86 under Wine through qemu-i386)"
  ctest --preset win32 || status=1
else
  echo "== win32: tests built but not run (no x86wine tools beside the project)"
fi
exit $status
