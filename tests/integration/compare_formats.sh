#!/bin/sh
# The VST2 module gives the same output as the VST3 module of the same build, bit for bit, for the
# same test signal, parameters, rate and blocks, at 32 and 64 bits.
# Usage: compare_formats.sh RUNNER QHOST BUNDLE QHOST2 MODULE
set -e
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
run=$1
for precision in "" --double; do
  for setting in "--rate 44100 --block 480" "--rate 96000 --block 1000"; do
    args="--seconds 1 $setting --param 0=-30 --param 6=3 --param 8=60 $precision"
    "$run" "$2" --bundle "$3" $args --dump "$work/vst3.f64" >/dev/null
    "$run" "$4" --module "$5" $args --compare "$work/vst3.f64"
  done
done
