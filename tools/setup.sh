#!/usr/bin/env bash
# One-time machine setup for building and testing QuibelOmbrelux on Debian 12 (run as root).
#   - Debian packages: the mingw-w64 cross compilers, Wine, Xvfb, libpng, zlib for mingw, GoogleTest, CMake, Ninja,
#     Python 3 (the skin generator, tools/skingen.py)
#   - libpng built as a static library for both mingw targets (from Debian's source package)
#   - the Wine prefix of the x86-64 programs
#   - the x86 emulation (the x86wine tools beside the project, with their own 32-bit Wine) and its prefix
# Each step checks its result and is skipped when that result is already there, so a rerun after a failure
# finishes what the failed run began. Network steps are tried three times. The x86 emulation is the one
# step allowed to fail: the reason goes to .cache/x86wine.failed, tools/build.sh builds and runs the rest
# and tools/test.sh reports it. The system's dpkg architectures are left as they are.
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cache=${QUIBEL_CACHE:-$repo/.cache}
mkdir -p "$cache"
# shellcheck source=tools/x86.sh
. "$repo/tools/x86.sh"

log() { printf '[setup] %s\n' "$*"; }
fail() {  # one line: what failed and how to go on
  printf '[setup] FAILED: %s; rerun "bash tools/setup.sh" as root to finish the setup\n' "$*" >&2
  exit 1
}
# try WHAT CMD...: runs CMD up to three times, with a pause between tries; false when every try failed.
try() {
  local what=$1 n; shift
  for n in 1 2 3; do
    "$@" && return 0
    [ "$n" = 3 ] || { log "$what failed (try $n of 3), trying again in $((n * 15)) s"; sleep $((n * 15)); }
  done
  return 1
}
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

# ---------------------------------------------------------------- Debian packages
packages=(g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix wine64 xvfb libpng-dev
          libz-mingw-w64-dev libgtest-dev cmake ninja-build g++ make xz-utils ca-certificates
          python3 gcc binutils util-linux)
missing() { local p; for p in "${packages[@]}"; do installed "$p" || echo "$p"; done; }
apt_install() {
  local want; mapfile -t want < <(missing)
  [ ${#want[@]} -eq 0 ] && return 0
  # An index that fails to update (an archive caught mid-sync) leaves the others updated: the install
  # below decides whether what arrived is enough.
  apt-get update -qq -o Acquire::Retries=3 || log "apt-get update reported errors; installing from the lists it has"
  apt-get install -y -qq --no-install-recommends -o Acquire::Retries=3 "${want[@]}" >/dev/null
}
mapfile -t want < <(missing)
if [ ${#want[@]} -gt 0 ]; then
  log "installing: ${want[*]}"
  export DEBIAN_FRONTEND=noninteractive
  try "installing the Debian packages" apt_install || true
  mapfile -t want < <(missing)
  [ ${#want[@]} -eq 0 ] || fail "the Debian packages ${want[*]} could not be installed (apt-get update; apt-get install)"
fi

# ---------------------------------------------------------------- libpng for mingw
# The source package comes through an apt configuration of its own (the main archive's deb-src entry,
# own lists and cache), so the system's sources and lists stay as they are.
srcdir=$cache/libpng-src
src_tarball() {  # the upstream tarball, when it is there whole
  local t; t=$(ls "$srcdir"/libpng1.6_*.orig.tar.* 2>/dev/null | head -n1)
  [ -n "$t" ] && tar -tf "$t" >/dev/null 2>&1 && echo "$t"
}
archive_uri() {
  local u
  u=$(sed -n 's/^URIs: *\([^ ]*\).*/\1/p' /etc/apt/sources.list.d/debian.sources 2>/dev/null | grep -v security | head -n1)
  [ -n "$u" ] || u=$(cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null |
    sed -n 's/^deb \(\[[^]]*\] \)\{0,1\}\([^ ]*\) bookworm .*main.*/\2/p' | head -n1)
  echo "${u:-http://deb.debian.org/debian}"
}
fetch_libpng_source() {
  local d=$cache/apt-src
  rm -rf "$d" "$srcdir" && mkdir -p "$d/lists/partial" "$d/cache/archives/partial" "$d/empty" "$srcdir"
  : > "$d/status"
  echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $(archive_uri) bookworm main" > "$d/sources.list"
  cat > "$d/apt.conf" <<EOF
Dir::Etc::sourcelist "$d/sources.list";
Dir::Etc::sourceparts "$d/empty";
Dir::State::Lists "$d/lists";
Dir::State::status "$d/status";
Dir::Cache "$d/cache";
Acquire::Retries "3";
EOF
  apt-get -c "$d/apt.conf" update -qq >/dev/null &&
    (cd "$srcdir" && apt-get -c "$d/apt.conf" source --download-only -qq libpng1.6 >/dev/null 2>&1 || true) &&
    src_tarball >/dev/null && rm -rf "$d"
}
if ! src_tarball >/dev/null; then
  log "fetching libpng1.6 source"
  try "fetching the libpng1.6 source" fetch_libpng_source ||
    fail "the libpng1.6 source package could not be downloaded (apt-get source --download-only libpng1.6)"
fi

build_libpng() {  # $1 = target triplet, $2 = extra compiler flags
  local triplet=$1 flags=$2 out=$cache/libpng-$1
  [ -f "$out/.quibel-ready" ] && return 0
  log "building libpng for $triplet"
  rm -rf "$out"
  local work; work=$(mktemp -d)
  tar -xf "$(src_tarball)" -C "$work"
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
  touch "$out/.quibel-ready"
}
build_libpng x86_64-w64-mingw32 ""
build_libpng i686-w64-mingw32 "-msse2 -mfpmath=sse"

# ---------------------------------------------------------------- Wine prefixes
# prefix_done PREFIX [SUBDIR]: Wine's registry and SUBDIR are there; then the fonts go in and the stamp
# that later runs check is written.
prefix_done() {
  local prefix=$1 sub=${2:-}
  [ -f "$prefix/system.reg" ] && [ -f "$prefix/user.reg" ] || return 1
  [ -z "$sub" ] || [ -d "$prefix/$sub" ] || return 1
  # Wine's own fonts in the prefix make text rendering the same on every machine.
  mkdir -p "$prefix/drive_c/windows/Fonts"
  cp -n /usr/share/wine/fonts/* "$prefix/drive_c/windows/Fonts/" 2>/dev/null || true
  touch "$prefix/.quibel-ready"
}

# One prefix for the win64 test runs, kept in the cache (the build folders may be wiped).
prefix=$cache/wine64
if [ ! -f "$prefix/.quibel-ready" ]; then
  log "creating Wine prefix $prefix"
  rm -rf "$prefix" && mkdir -p "$prefix"
  WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1 || true
  WINEPREFIX=$prefix /usr/lib/wine/wineserver -w || true
  prefix_done "$prefix" drive_c/windows/system32 || fail "the Wine prefix $prefix could not be created (wine64 wineboot -i)"
fi

# ---------------------------------------------------------------- x86 programs under emulation
# This kernel has no 32-bit user mode: the x86wine tools (beside the project, in shared/) run 32-bit
# Wine through qemu-i386 in a private user namespace, with a 32-bit Wine of their own. A failure here
# leaves the rest of the setup standing: it is written to $x86_failed for tools/build.sh and test.sh.
x86_fail() {
  echo "x86 emulation not prepared: $*" > "$x86_failed"
  log "$(cat "$x86_failed"); rerun \"bash tools/setup.sh\" as root to try again"
  exit 0
}
if x86_tools_present; then
  if ! x86_state_ready; then
    log "preparing the x86wine tools in $x86_state (qemu-i386 and a 32-bit Wine: about 200 MB to download)"
    : > "$cache/x86wine-setup.log"
    x86wine_setup() { sh "$x86_tools/setup.sh" "$x86_state" >>"$cache/x86wine-setup.log" 2>&1; }
    try "preparing the x86wine tools" x86wine_setup ||
      x86_fail "the x86wine tools' setup failed three times, see $cache/x86wine-setup.log"
    x86_state_ready || x86_fail "the x86wine tools' setup left no qemu-i386, trapfix shim or 32-bit Wine in $x86_state"
    rm -f "$x86_prefix/.quibel-ready"   # a new 32-bit Wine: the prefix is made again with it
  fi
  if ! x86_prefix_ready; then
    log "creating Wine prefix $x86_prefix (through x86ns)"
    rm -rf "$x86_prefix" && mkdir -p "$x86_prefix"
    x86_run sh -c '/usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1; /usr/lib/wine/wineserver -w' || true
    prefix_done "$x86_prefix" drive_c/windows/syswow64 ||
      x86_fail "the x86 Wine prefix $x86_prefix could not be created (wineboot through x86ns)"
  fi
  rm -f "$x86_failed"
else
  log "no x86wine tools beside the project: the win32 suite will be built but not run"
fi

log "done"
