#!/usr/bin/env bash
# Runs a GoogleTest program of the Windows build that opens windows: on a private X server, in
# a Wine prefix of its own (a prefix whose desktop process started without a display gives its
# programs no windows, and the shared prefix's does), removed afterwards.
#
#   with-display.sh PREFIX LOG PROGRAM [ARGS...]
set -uo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
prefix=$1
inner() {
  bash "$here/scripts/wine.sh" create "$prefix" || return 1
  bash "$here/scripts/wine.sh" gtest "$@"
  local status=$?
  bash "$here/scripts/wine.sh" remove "$prefix"
  return $status
}
export -f inner
export here prefix
bash "$here/scripts/xvfb.sh" bash -c 'inner "$@"' inner "$@"
