#!/bin/bash
# The editor open in vst3host on a private X server, at scale 1 and 2, with audio playing so the
# meters move: what the host's UI thread (redraw timer, drawing, the copy to the window) spends
# once the editor has settled, over ten seconds.
set -euo pipefail
BUILD=${1:-build}
script=$(mktemp)
trap 'rm -f "$script"' EXIT
printf 'wait 2000\nstats reset\nwait 10000\nstats\nquit\n' > "$script"
for scale in 1 2; do
  line=$(xvfb-run -a -s "-screen 0 2560x1600x24" "$BUILD/tools/vst3host/vst3host" gui \
    "$BUILD/Tarvo.vst3" --scale "$scale" --script "$script" | grep '^stats:')
  used=$(sed 's/.*host thread used \([0-9.]*%\).*/\1/' <<< "$line")
  echo "idle editor with meters moving at scale $scale: the UI thread uses $used of one core"
done
echo "(goal at scale 2: under 2% of one core)"
