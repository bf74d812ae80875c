#!/usr/bin/env bash
# Sets the machine up (tools/setup.sh), then builds and runs every test in every configuration:
# native (g++ with AddressSanitizer and UBSan), win64 (mingw-w64 x86_64, tests under Wine) and
# win32 (mingw-w64 i686, tests under Wine through qemu-i386 emulation when the x86wine tools lie
# beside the project; built only, with a note, when they are absent; a failure when they are there
# but could not be prepared). The Windows suites open editor windows on an Xvfb
# display started here (on a free display number) and ended at the end.
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$repo"

bash tools/setup.sh

cache=${QUIBEL_CACHE:-$repo/.cache}
# shellcheck source=tools/x86.sh
. "$repo/tools/x86.sh"
# Keep one wineserver running through each Windows suite instead of starting one per program, with
# Wine's background services started here, outside the tests: a service started by a test would hold
# the test's output pipe open until the server ends.
warm_wine64() {
  WINEPREFIX="$cache/wine64" WINEDEBUG=-all /usr/lib/wine/wineserver -p 120 2>/dev/null || true
  WINEPREFIX="$cache/wine64" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
    /usr/lib/wine/wine64 cmd.exe /c exit >/dev/null 2>&1 </dev/null || true
}
warm_wine32() {
  x86_run /usr/lib/wine/wineserver -p 300 2>/dev/null || true
  x86_run /usr/lib/wine/wine64 cmd.exe /c exit >/dev/null 2>&1 </dev/null || true
}
end_wine() {
  local p
  for p in "$cache/wine64" "$x86_prefix"; do WINEPREFIX="$p" /usr/lib/wine/wineserver -k 2>/dev/null || true; done
}
# shellcheck source=tools/xvfb.sh
. "$repo/tools/xvfb.sh"
trap 'end_wine; stop_xvfb' EXIT

# The win32 suite runs wherever the x86wine tools lie beside the project; tools that are there but
# could not be prepared fail the run (it must not pass without the win32 suite).
x86_status
[ "$x86" = unusable ] && echo "== win32: cannot run: $x86_why"

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
case $x86 in
  yes)
    echo "== win32: tests (x86 under Wine through qemu-i386)"
    warm_wine32
    ctest --preset win32 || status=1 ;;
  absent)
    echo "== win32: tests built but not run: $x86_why" ;;
  *)
    echo "== win32: FAILED, the suite could not run: $x86_why"
    status=1 ;;
esac
exit $status
