#!/usr/bin/env bash
# The Windows editor open in vst3host.exe gui under Wine, once with no audio (meters at rest) and
# once with audio playing (meters moving): the redraw tick as the host times it (the editor's
# timer and paint messages) and the CPU the host process and its wineserver use over ten seconds,
# read from /proc. Run under scripts/xvfb.sh (make bench-windows does), in a prefix of its own.
#
#   xvfb.sh idle-wine.sh [WIN_BUILD]
set -uo pipefail
build=${1:-build-win}
here=$(cd "$(dirname "$0")/../.." && pwd)
prefix=$(cd "$build" && pwd)/bench-prefix
script=$(mktemp) log=$(mktemp)
cleanup() {
  rm -f "$script" "$log"
  bash "$here/scripts/wine.sh" remove "$prefix"
}
trap cleanup EXIT
[ -n "${DISPLAY:-}" ] || { echo "idle-wine.sh: no X display (run under scripts/xvfb.sh)" >&2; exit 1; }
bash "$here/scripts/wine.sh" create "$prefix" || exit 1
export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
printf 'wait 3000\nstats reset\nwait 10000\nstats\nquit\n' > "$script"
hz=$(getconf CLK_TCK)
ticks() { awk '{print $14 + $15}' "/proc/$1/stat" 2> /dev/null || echo 0; }
# The wineserver of our prefix: the one whose environment names it.
server() {
  local p
  for p in $(pgrep -x wineserver) $(pgrep -x wineserver64); do
    tr '\0' '\n' < "/proc/$p/environ" 2> /dev/null | grep -qx "WINEPREFIX=$prefix" && echo "$p"
  done | head -n 1
}
for mode in silent playing; do
  args=()
  [ $mode = silent ] && args=(--no-audio)
  wine "$build/tools/vst3host/vst3host.exe" gui "$build/Tarvo.vst3" --script "$script" \
    "${args[@]}" > "$log" 2>&1 &
  pid=$!
  sleep 3
  ws=$(server)
  h0=$(ticks "$pid") w0=$(ticks "${ws:-0}") t0=$(date +%s.%N)
  sleep 10
  h1=$(ticks "$pid") w1=$(ticks "${ws:-0}") t1=$(date +%s.%N)
  for _ in $(seq 100); do kill -0 "$pid" 2> /dev/null || break; sleep 0.1; done
  kill -0 "$pid" 2> /dev/null && kill -9 "$pid"
  wait "$pid" 2> /dev/null
  awk -v m=$mode -v h=$((h1 - h0)) -v w=$((w1 - w0)) -v hz="$hz" -v t0="$t0" -v t1="$t1" \
    'BEGIN { s = t1 - t0; printf "editor under Wine, audio %s: host process %.1f%% of a core, wineserver %.1f%% (/proc, %.1f s)\n", m, 100 * h / hz / s, 100 * w / hz / s, s }'
  tr -d '\r' < "$log" | grep '^stats:'
done
