#!/bin/sh
# The x86 module gives the same audio (within 1e-12 relative) and the same 76-byte state as the
# x86-64 module for the same input and parameters, at 32 and 64 bits, and both give the same answers
# to a hostile host's questions (texts, refusals, repeated initialize, long state streams, huge
# samples: qhost --probe).
# Usage: compare_arch.sh QHOST64 BUNDLE64 QHOST32 BUNDLE32
set -e
here=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for precision in "" --double; do
  args="--seconds 1 --block 480 --param 0=-30 --param 6=3 --param 8=60 $precision"
  "$here/tools/wine64-run.sh" "$1" --bundle "$2" $args --dump "$work/a.f64" --state-out "$work/s.bin" >/dev/null
  "$here/tools/wine32-run.sh" "$3" --bundle "$4" $args --compare "$work/a.f64" --compare-state "$work/s.bin"
done
"$here/tools/wine64-run.sh" "$1" --bundle "$2" --probe | tr -d '\r' >"$work/probe64.txt"
"$here/tools/wine32-run.sh" "$3" --bundle "$4" --probe | tr -d '\r' >"$work/probe32.txt"
test -s "$work/probe64.txt"
if ! diff "$work/probe64.txt" "$work/probe32.txt"; then
  echo "compare: the x86 and x86-64 modules answer the probes differently"
  exit 1
fi
echo "compare: $(wc -l <"$work/probe64.txt") probe answers identical"
