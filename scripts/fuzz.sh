#!/usr/bin/env bash
# Runs every fuzz target for a while on its corpus; new inputs and findings stay in the build
# folder (fuzz-work/<target>), never in the checked-in seeds.
set -uo pipefail
build=${1:-build-fuzz}
seconds=${2:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
status=0
for target in $(find "$build/fuzz" -maxdepth 2 -type f -executable -name 'fuzz_*' | sort); do
  name=$(basename "$target")
  work="$build/fuzz-work/$name"
  mkdir -p "$work" "$root/fuzz/corpus/$name"
  log="$work/last-run.log"
  "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$work/" "$work" "$root/fuzz/corpus/$name" > "$log" 2>&1
  rc=$?
  execs=$(grep -m1 'stat::number_of_executed_units' "$log" | awk '{print $2}')
  crashes=$(ls "$work" | grep -c -E '^(crash|leak|timeout|oom)-' || true)
  printf '%-22s %10s executions  findings: %s  (exit %d)\n' "$name" "${execs:-?}" "$crashes" "$rc"
  [ "$rc" -eq 0 ] || status=1
done
exit $status
