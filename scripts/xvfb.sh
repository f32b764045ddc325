#!/usr/bin/env bash
# Runs a command with a private X server: Xvfb on a free display number of its choosing, ended
# when the command ends. The display is in DISPLAY and in TARVO_WINE_DISPLAY (which wine.sh
# passes on to Windows programs; it hides any other display from them).
#
#   xvfb.sh COMMAND [ARGS...]
set -uo pipefail
command -v Xvfb > /dev/null || { echo "xvfb.sh: Xvfb not found (scripts/install-deps.sh installs it)" >&2; exit 1; }
fifo=$(mktemp -u)
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3> "$fifo" > /dev/null 2>&1 &
xvfb=$!
number=""
read -r -t 20 number < "$fifo"
rm -f "$fifo"
if [ -z "$number" ]; then
  kill "$xvfb" 2> /dev/null
  echo "xvfb.sh: Xvfb did not start" >&2
  exit 1
fi
export DISPLAY=":$number" TARVO_WINE_DISPLAY=":$number"
"$@"
status=$?
kill "$xvfb" 2> /dev/null
wait "$xvfb" 2> /dev/null
exit $status
