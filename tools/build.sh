#!/usr/bin/env bash
# Sets the machine up (tools/setup.sh), builds the Windows configurations into build/ and runs the
# framework check tool under Wine: a test signal through the plug-in framework's host-block road.
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$repo"

bash tools/setup.sh
for preset in win64 win32; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done
echo "== fxrun (x86-64, under Wine)"
tools/wine64-run.sh build/win64/tools/fxrun.exe
