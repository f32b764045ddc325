#!/usr/bin/env bash
# Installs every Debian package Tarvo needs to build, test and run its tools; with the argument
# "bench" also what only the benchmarks need (make bench): LSP's equaliser, which Tarvo is timed
# against, and the LV2 host library that loads it.
# Idempotent: packages already present are skipped, so a warm machine pays nothing.
set -euo pipefail

packages=(
  build-essential cmake make pkg-config git
  clang libclang-rt-14-dev clang-format
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  valgrind
  juce-modules-source-data
  libsndfile1-dev
  libpng-dev zlib1g-dev libfreetype-dev libfontconfig-dev fontconfig
  fonts-liberation fonts-dejavu-core
  groff
  libx11-dev libxext-dev
  xvfb xauth xdotool zenity x11-utils
  mingw-w64 g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  libz-mingw-w64-dev wine wine64 fonts-wine
)
if [ "${1:-}" = bench ]; then
  packages+=(lsp-plugins-lv2 liblilv-dev)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "install-deps: installing ${missing[*]}"
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get update -qq
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
