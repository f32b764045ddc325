#!/usr/bin/env bash
# The Windows module and vst3host.exe under Wine against the Linux build of the same tree:
#  - vst3host.exe info prints what the Linux host prints (parameters, units, program list),
#    apart from the two lines naming the files;
#  - every factory preset's host state and render (tarvo-preset-dump, in-process hosting);
#  - vst3host.exe render reads a WAV file the Linux host wrote and renders what Linux renders;
#    its state save writes what Linux writes, and state load takes the Linux file.
# Output of Windows programs is read from files; their exit codes are not trusted.
set -uo pipefail
prefix=$1 work=$2 bundle=$3 host=$4 dump=$5 lbundle=$6 lhost=$7 ldump=$8
wine="bash $(cd "$(dirname "$0")/../.." && pwd)/scripts/wine.sh"
fail() {
  echo "FAILED: $*"
  exit 1
}
rm -rf "$work"
mkdir -p "$work/linux" "$work/windows"

"$lhost" info "$lbundle" > "$work/info-linux.txt" 2>&1 || fail "Linux vst3host info"
$wine run "$prefix" "$work/info-windows.txt" "$host" info "$bundle" > /dev/null
grep -q '^Parameters: 41$' "$work/info-windows.txt" || fail "vst3host.exe info: not 41 parameters"
diff <(sed 1,2d "$work/info-linux.txt") <(sed 1,2d "$work/info-windows.txt") \
  || fail "vst3host.exe info differs from the Linux host's"
echo "info: as on Linux"

"$ldump" dump "$lbundle" "$work/linux" > /dev/null || fail "Linux preset dump"
$wine run "$prefix" "$work/dump-windows.log" "$dump" dump "$bundle" "$work/windows"
grep -q '^dump: 32 presets$' "$work/dump-windows.log" || fail "Windows preset dump"
"$ldump" compare "$work/linux" "$work/windows" 39 || fail "presets differ from Linux"

# A 64-bit input file from the Linux host (bypass copies exactly), rendered by both hosts.
"$lhost" render "$lbundle" noise:0.5 "$work/input.wav" --bypass --bits 64 > /dev/null 2>&1 \
  || fail "Linux input file"
"$lhost" render "$lbundle" "$work/input.wav" "$work/render-linux.wav" --preset 5 --double \
  --bits 64 > /dev/null 2>&1 || fail "Linux render"
$wine run "$prefix" "$work/render-windows.log" "$host" render "$bundle" "$work/input.wav" \
  "$work/render-windows.wav" --preset 5 --double --bits 64
"$ldump" compare-wav "$work/render-linux.wav" "$work/render-windows.wav" \
  || fail "vst3host.exe render differs from Linux"

"$lhost" state save "$lbundle" "$work/state-linux.bin" --preset 9 > /dev/null 2>&1 \
  || fail "Linux state save"
$wine run "$prefix" "$work/state-save.log" "$host" state save "$bundle" \
  "$work/state-windows.bin" --preset 9
cmp "$work/state-linux.bin" "$work/state-windows.bin" || fail "vst3host.exe state save differs"
$wine run "$prefix" "$work/state-load.log" "$host" state load "$bundle" "$work/state-linux.bin"
grep -q 'kResultOk' "$work/state-load.log" || fail "vst3host.exe state load"
echo "vst3host.exe: render, state save and load as on Linux"
echo "PASSED"
