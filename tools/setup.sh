#!/usr/bin/env bash
# One-time machine setup for building and testing QuibelOmbrelux on Debian 12 (run as root).
# Idempotent: each step checks whether its result is already there and is skipped if so.
#   - Debian packages: the mingw-w64 cross compilers, Wine, Xvfb, libpng, zlib for mingw, GoogleTest, CMake, Ninja,
#     Python 3 (the skin generator, tools/skingen.py)
#   - libpng built as a static library for both mingw targets (from Debian's source package)
#   - one Wine prefix per Windows build folder, created once
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cache=${QUIBEL_CACHE:-$repo/.cache}
mkdir -p "$cache"

log() { printf '[setup] %s\n' "$*"; }

# ---------------------------------------------------------------- Debian packages
packages=(g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix wine64 xvfb libpng-dev
          libz-mingw-w64-dev libgtest-dev cmake ninja-build g++ make xz-utils ca-certificates
          python3)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  log "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# ---------------------------------------------------------------- libpng for mingw
srcdir=$cache/libpng-src
if ! ls "$srcdir"/libpng1.6_*.orig.tar.* >/dev/null 2>&1; then
  srclist=/etc/apt/sources.list.d/quibel-deb-src.sources
  if [ ! -f "$srclist" ]; then
    log "enabling deb-src for Debian's main archive"
    # Copy the main archive's entry (the first stanza that names deb.debian.org/debian) as a source entry.
    awk 'BEGIN{RS=""; ORS="\n\n"} /URIs:[^\n]*debian.org\/debian([ \n\/]|$)/ && !done {
           sub(/Types:[^\n]*/, "Types: deb-src"); print; done=1 }' \
        /etc/apt/sources.list.d/debian.sources > "$srclist"
    [ -s "$srclist" ] || printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: bookworm\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' > "$srclist"
    apt-get update -qq
  fi
  mkdir -p "$srcdir"
  log "fetching libpng1.6 source"
  # The command fails on the missing .dsc after the upstream tarball has arrived: check for the tarball instead.
  (cd "$srcdir" && apt-get source --download-only libpng1.6 >/dev/null 2>&1 || true)
  ls "$srcdir"/libpng1.6_*.orig.tar.* >/dev/null 2>&1 || { echo "libpng1.6 source tarball not found" >&2; exit 1; }
fi

build_libpng() {  # $1 = target triplet, $2 = extra compiler flags
  local triplet=$1 flags=$2 out=$cache/libpng-$1
  [ -f "$out/lib/libpng.a" ] && [ -f "$out/include/png.h" ] && return 0
  log "building libpng for $triplet"
  local work; work=$(mktemp -d)
  tar -xf "$(ls "$srcdir"/libpng1.6_*.orig.tar.* | head -n1)" -C "$work"
  local top; top=$(ls -d "$work"/libpng-*/ | head -n1)
  cp "$top/scripts/pnglibconf.h.prebuilt" "$top/pnglibconf.h"
  local objs=()
  for f in png pngerror pngget pngmem pngpread pngread pngrio pngrtran pngrutil pngset pngtrans \
           pngwio pngwrite pngwtran pngwutil; do
    "$triplet-gcc-posix" -O2 $flags -DPNG_INTEL_SSE_OPT=0 -DPNG_ARM_NEON_OPT=0 \
      -I"$top" -I"/usr/$triplet/include" -c "$top/$f.c" -o "$work/$f.o"
    objs+=("$work/$f.o")
  done
  mkdir -p "$out/lib" "$out/include"
  "$triplet-ar" rcs "$out/lib/libpng.a" "${objs[@]}"
  cp "$top/png.h" "$top/pngconf.h" "$top/pnglibconf.h" "$out/include/"
  rm -rf "$work"
}
build_libpng x86_64-w64-mingw32 ""
build_libpng i686-w64-mingw32 "-msse2 -mfpmath=sse"

# ---------------------------------------------------------------- Wine prefixes
# One prefix for the win64 test runs, kept in the cache (the build folders may be wiped).
make_prefix() {  # $1 = prefix folder
  local prefix=$1
  [ -f "$prefix/system.reg" ] && [ -d "$prefix/drive_c/windows/Fonts" ] && return 0
  log "creating Wine prefix $prefix"
  mkdir -p "$prefix"
  WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1 || true
  WINEPREFIX=$prefix /usr/lib/wine/wineserver -w || true
  # Wine's own fonts in the prefix make text rendering the same on every machine.
  mkdir -p "$prefix/drive_c/windows/Fonts"
  cp -n /usr/share/wine/fonts/* "$prefix/drive_c/windows/Fonts/" 2>/dev/null || true
  [ -f "$prefix/system.reg" ] || { echo "Wine prefix creation failed" >&2; exit 1; }
}
make_prefix "$cache/wine64"

# ---------------------------------------------------------------- x86 programs under emulation
# This kernel has no 32-bit user mode: the x86wine tools (beside the project, in shared/) run 32-bit
# Wine through qemu-i386 in a private user namespace. Without them the win32 suite is built only.
x86wine=$repo/../shared/tools/x86wine
if [ -x "$x86wine/x86ns" ] && [ -f "$x86wine/setup.sh" ]; then
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    log "adding the i386 architecture"
    dpkg --add-architecture i386
    apt-get update -qq
  fi
  if ! dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q 'install ok installed'; then
    log "installing wine32:i386"
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends wine32:i386 >/dev/null
  fi
  state=$cache/x86wine
  if [ ! -x "$state/qemu10/usr/bin/qemu-i386" ] || [ ! -f "$state/trapfix/lib/i386-linux-gnu/trapfix.so" ]; then
    log "preparing x86wine in $state"
    sh "$x86wine/setup.sh" "$state" >/dev/null
  fi
  prefix=$cache/wine32
  if [ ! -f "$prefix/system.reg" ] || [ ! -d "$prefix/drive_c/windows/syswow64" ]; then
    log "creating Wine prefix $prefix (through x86ns)"
    mkdir -p "$prefix"
    X86WINE_STATE=$state WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
      "$x86wine/x86ns" sh -c '/usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1; /usr/lib/wine/wineserver -w'
    mkdir -p "$prefix/drive_c/windows/Fonts"
    cp -n /usr/share/wine/fonts/* "$prefix/drive_c/windows/Fonts/" 2>/dev/null || true
    [ -f "$prefix/system.reg" ] || { echo "Wine prefix creation (x86) failed" >&2; exit 1; }
  fi
else
  log "no x86wine tools beside the project: the win32 suite will be built but not run"
fi

log "done"
