#!/usr/bin/env bash
# The main job: install the built bundle where Linux hosts look for it, render a generated sweep
# through three factory presets with our own command-line host, and draw the editor.
set -euo pipefail
build=${1:-build}
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

host="$build/tools/vst3host/vst3host"
bundle="$build/Tarvo.vst3"
[ -x "$host" ] && [ -d "$bundle" ] || { echo "demo: build first ($host, $bundle)" >&2; exit 1; }

mkdir -p "$HOME/.vst3" out
rm -rf "$HOME/.vst3/Tarvo.vst3"
cp -r "$bundle" "$HOME/.vst3/"
echo "Installed $HOME/.vst3/Tarvo.vst3"
echo

for preset in "Default" "Vocal Clarity" "Bass Pass"; do
  file="out/$(echo "$preset" | tr 'A-Z ' 'a-z-').wav"
  echo "== $preset"
  "$host" render "$HOME/.vst3/Tarvo.vst3" sweep:4 "$file" --preset "$preset"
  echo
done

# The editor as a host would show it, drawn without a window after a short phrase of audio so
# that the meters show levels.
snapshot="$build/tools/snapshot/tarvo-snapshot"
"$snapshot" --resources "$build/resources" --out out/editor.png
"$snapshot" --resources "$build/resources" --preset "Bombada" --out out/editor-bombada.png
echo
echo "Rendered files and editor snapshots are in $root/out/"
