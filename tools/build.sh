#!/usr/bin/env bash
# Sets the machine up (tools/setup.sh), builds the Windows modules, gathers both architectures into
# one VST3 bundle under build/out/ beside the x86-64 AAX module QuibelOmbrelux.aaxplugin and the x86
# VST2 module QuibelOmbrelux.dll, and runs the plug-in: the project's VST3 test host loads the x86-64
# module from that bundle under Wine and processes a built-in test signal, then opens the plug-in's
# editor (on an Xvfb display started for it) while the signal keeps playing and writes a screenshot of
# it to build/out/editor.png; then the AAX test host processes the same signal with the AAX module
# and the VST2 test host with the x86 VST2 module (under x86 emulation; where that could not be prepared,
# the run is left out and the last line says why).
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$repo"
cache=${QUIBEL_CACHE:-$repo/.cache}
# shellcheck source=tools/x86.sh
. tools/x86.sh

bash tools/setup.sh
for preset in win64 win32; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done

out=build/out/QuibelOmbrelux.vst3
rm -rf build/out
mkdir -p "$out/Contents/x86_64-win" "$out/Contents/x86-win"
cp build/win64/QuibelOmbrelux.vst3/Contents/x86_64-win/QuibelOmbrelux.vst3 "$out/Contents/x86_64-win/"
cp build/win32/QuibelOmbrelux.vst3/Contents/x86-win/QuibelOmbrelux.vst3 "$out/Contents/x86-win/"
cp build/win32/vst2/QuibelOmbrelux.dll build/out/
aax=build/out/QuibelOmbrelux.aaxplugin
mkdir -p "$aax/Contents/x64"
cp build/win64/QuibelOmbrelux.aaxplugin/Contents/x64/QuibelOmbrelux.aaxplugin "$aax/Contents/x64/"
echo "== modules: $out, $aax and build/out/QuibelOmbrelux.dll"
find build/out -type f | sort

echo "== QuibelOmbrelux (x86-64) in the test host, under Wine"
. tools/xvfb.sh
# Wine's own background programs hold the display: they end before it does.
prefix=${QUIBEL_WINEPREFIX:-$cache/wine64}
trap 'for p in "$prefix" "$x86_prefix"; do WINEPREFIX="$p" /usr/lib/wine/wineserver -k 2>/dev/null || true; done; stop_xvfb' EXIT
start_xvfb
shot=$repo/build/out/editor.png
tools/wine64-run.sh build/win64/tools/vst3host/qhost.exe --bundle "$repo/$out" --screenshot "$shot" "$@"
echo "== editor screenshot: $shot"

echo "== QuibelOmbrelux AAX (x86-64) in the AAX test host, under Wine"
tools/wine64-run.sh build/win64/tools/aaxhost/qaaxhost.exe --bundle "$repo/$aax"

echo "== QuibelOmbrelux VST2 (x86) in the VST2 test host, under Wine"
x86_status
if [ "$x86" = yes ]; then
  tools/wine32-run.sh build/win32/tools/vst2host/qhost2.exe --module "$repo/build/out/QuibelOmbrelux.dll"
else
  echo "== left out: the x86 VST2 module's run in qhost2 (built, not run): $x86_why"
fi
