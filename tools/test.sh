#!/usr/bin/env bash
# Sets the machine up (tools/setup.sh), then builds and runs every test in every configuration:
# native (g++ with AddressSanitizer and UBSan), win64 (mingw-w64 x86_64, tests under Wine) and
# win32 (mingw-w64 i686: built; this kernel cannot run 32-bit programs directly).
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$repo"

bash tools/setup.sh

export WINEPREFIX="${QUIBEL_CACHE:-$repo/.cache}/wine64" WINEDEBUG=-all
# Keep one wineserver running through the win64 tests instead of starting one per program.
/usr/lib/wine/wineserver -p 120 2>/dev/null || true

status=0
for preset in native win64 win32; do
  echo "== $preset: configure and build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done
for preset in native win64; do
  echo "== $preset: tests"
  ctest --preset "$preset" || status=1
done
echo "== win32: tests built, not run (no 32-bit user mode on this kernel)"
exit $status
