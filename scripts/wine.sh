#!/usr/bin/env bash
# Runs Windows programs of the cross build under Wine, each run in a prefix of its own.
#
#   wine.sh create PREFIX                      make a fresh 64-bit prefix, ready for tests
#   wine.sh remove PREFIX                      end its wineserver and delete it
#   wine.sh run PREFIX LOG PROGRAM [ARGS...]   run a program in an existing prefix
#   wine.sh once PREFIX LOG PROGRAM [ARGS...]  create, run, remove
#   wine.sh gtest PREFIX LOG PROGRAM [ARGS...] run a GoogleTest program and judge it by its output
#
# A program's output goes to LOG (a file: Wine's helper processes hold pipes open for seconds),
# with Windows line ends turned into Unix ones, and is then printed. Exit codes are not trusted
# after a crash, so `gtest` passes only when the program printed its PASSED line and no failure.
set -uo pipefail

die() { echo "wine.sh: $*" >&2; exit 1; }

setup_env() {
  export WINEPREFIX="$1" WINEARCH=win64 WINEDEBUG=-all
  # No Mono or Gecko installer prompts, and no X display unless a test asks for its private one
  # (scripts/xvfb.sh): nothing else opens a window, and never on the user's desktop.
  export WINEDLLOVERRIDES="mscoree,mshtml="
  unset DISPLAY WAYLAND_DISPLAY
  if [ -n "${TARVO_WINE_DISPLAY:-}" ]; then export DISPLAY="$TARVO_WINE_DISPLAY"; fi
}

create() {
  local prefix="$1"
  command -v wine > /dev/null || die "wine not found (scripts/install-deps.sh installs it)"
  rm -rf "$prefix"
  mkdir -p "$(dirname "$prefix")"
  setup_env "$prefix"
  wineboot -i > "$prefix.boot.log" 2>&1
  wineserver -w
  # A crash must not wait on an invisible dialog; without a window manager every window
  # destruction would otherwise wait for one.
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >> "$prefix.boot.log" 2>&1
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >> "$prefix.boot.log" 2>&1
  if [ -d /usr/share/wine/fonts ]; then
    cp /usr/share/wine/fonts/* "$prefix/drive_c/windows/Fonts/" 2>/dev/null || true
  fi
  wineserver -w
  [ -f "$prefix/system.reg" ] || die "could not create the Wine prefix $prefix (see $prefix.boot.log)"
  rm -f "$prefix.boot.log"
}

remove() {
  local prefix="$1"
  if [ -d "$prefix" ]; then
    setup_env "$prefix"
    wineserver -k 2> /dev/null || true
    rm -rf "$prefix"
  fi
}

run() {
  local prefix="$1" log="$2"
  shift 2
  [ -f "$prefix/system.reg" ] || die "no Wine prefix at $prefix"
  mkdir -p "$(dirname "$log")"
  setup_env "$prefix"
  wine "$@" > "$log" 2>&1 < /dev/null
  local status=$?
  sed -i 's/\r$//' "$log"
  cat "$log"
  return $status
}

cmd="${1:-}"
shift || true
case "$cmd" in
  create) create "$1" ;;
  remove) remove "$1" ;;
  run) run "$@" ;;
  once)
    prefix="$1"
    create "$prefix"
    run "$@"
    status=$?
    remove "$prefix"
    exit $status
    ;;
  gtest)
    run "$@"
    log="$2"
    grep -q '^\[  PASSED  \]' "$log" && ! grep -q '^\[  FAILED  \]' "$log" \
      || die "the test program did not report a pass"
    ;;
  *) die "usage: wine.sh create|remove|run|once|gtest ..." ;;
esac
