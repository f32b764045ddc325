#!/usr/bin/env bash
# Tarvo through its module beside LSP's Parametric Equalizer x16 Stereo: wall-clock passes pinned
# to one core, then callgrind's instructions per frame, for each kernel this CPU can run.
# Usage: compare.sh BUILD_DIR [PASSES]
set -euo pipefail
build=${1:-build}
passes=${2:-101}
exe=$build/bench/sidebyside/tarvo_sidebyside
bundle=$build/Tarvo.vst3
cpu=$(($(nproc) - 1))

kernels=(sse2)
if grep -qw avx2 /proc/cpuinfo && grep -qw fma /proc/cpuinfo; then kernels+=(avx2); fi

per_frame() { # who [env...]: callgrind instructions per frame of one settled pass
  local who=$1 out
  shift
  out=$(env "$@" valgrind --tool=callgrind --callgrind-out-file=/dev/null \
    --toggle-collect=CountedPass "$exe" "$bundle" --count "$who" --seconds 2 2>&1)
  local frames collected
  frames=$(sed -n 's/^\([0-9]*\) frames$/\1/p' <<<"$out")
  collected=$(sed -n 's/.*Collected : \([0-9]*\).*/\1/p' <<<"$out")
  if [ -z "$frames" ] || [ -z "$collected" ]; then
    echo "n/a"
  else
    awk -v c="$collected" -v f="$frames" 'BEGIN { printf "%.1f", c / f }'
  fi
}

echo "== side by side, pinned to CPU $cpu (load: $(cut -d' ' -f1-3 /proc/loadavg))"
for k in "${kernels[@]}"; do
  echo "-- Tarvo kernel $k"
  TARVO_KERNEL=$k taskset -c "$cpu" "$exe" "$bundle" --passes "$passes"
done
if command -v valgrind >/dev/null; then
  echo "== callgrind, instructions per frame (settled, blocks of 512)"
  for k in "${kernels[@]}"; do
    echo "  Tarvo, kernel $k: $(per_frame tarvo TARVO_KERNEL=$k)"
  done
  echo "  LSP Para EQ x16 Stereo: $(per_frame lsp)"
fi
