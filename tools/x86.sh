# Sourced by tools/setup.sh, tools/build.sh and tools/test.sh (after they set $repo and $cache): where
# the x86 emulation stands. The 32-bit Windows programs run under Wine through qemu-i386 with the x86wine
# tools beside the project; their state (qemu, the trapfix shim, a private 32-bit Wine unless the system
# has one) lives in $cache/x86wine, the x86 Wine prefix in $cache/wine32 (or QUIBEL_WINEPREFIX32).
x86_tools=$(cd "$repo/.." && pwd)/shared/tools/x86wine
x86_state=$cache/x86wine
x86_prefix=${QUIBEL_WINEPREFIX32:-$cache/wine32}   # as tools/wine32-run.sh takes it
x86_failed=$cache/x86wine.failed   # one line, written by tools/setup.sh when it could not prepare them

x86_tools_present() { [ -x "$x86_tools/x86ns" ] && [ -f "$x86_tools/setup.sh" ]; }

# The system's own 32-bit Wine loader (wine32:i386 installed system-wide), which the tools use as it is.
x86_system_wine32() {
  [ -f /usr/lib/wine/wine ] &&
    [ "$(od -An -tx1 -j4 -N1 /usr/lib/wine/wine | tr -d ' ')$(od -An -tx1 -j18 -N2 /usr/lib/wine/wine | tr -d ' ')" = 010300 ]
}

# The x86wine state is complete: qemu-i386, the shim, and a 32-bit Wine of the installed wine64's version.
x86_state_ready() {
  [ -x "$x86_state/qemu10/usr/bin/qemu-i386" ] || return 1
  [ -f "$x86_state/trapfix/lib/i386-linux-gnu/trapfix.so" ] || return 1
  x86_system_wine32 && return 0
  [ -x "$x86_state/i386root/usr/lib/wine/wine" ] &&
    [ "$(cat "$x86_state/i386root/.x86wine-version" 2>/dev/null)" = "$(dpkg-query -W -f='${Version}' wine64 2>/dev/null)" ]
}

# The x86 prefix was created through the tools and checked (tools/setup.sh writes the stamp last).
x86_prefix_ready() { [ -f "$x86_prefix/.quibel-ready" ]; }

# Sets x86 to "yes" (the win32 programs can run), "absent" (no tools beside the project) or "unusable",
# and x86_why to one line saying why they cannot run.
x86_status() {
  x86_why=
  if ! x86_tools_present; then
    x86=absent
    x86_why="no x86wine tools beside the project ($x86_tools)"
  elif x86_state_ready && x86_prefix_ready; then
    x86=yes
  else
    x86=unusable
    if [ -s "$x86_failed" ]; then
      x86_why=$(head -n1 "$x86_failed")
    else
      x86_why="the x86 emulation in $x86_state or the x86 prefix $x86_prefix is not prepared"
    fi
    x86_why="$x86_why; rerun 'bash tools/setup.sh' as root to prepare it"
  fi
}

# Runs the x86wine tools' namespace with the project's state and x86 prefix.
x86_run() {
  X86WINE_STATE=$x86_state WINEPREFIX=$x86_prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
    "$x86_tools/x86ns" "$@"
}
