#!/usr/bin/env bash
# Draws the pictures of the panel that README.md shows, one per state, with the simulated
# desktop of examples/panel.json (the empty state: the same desktop with nothing hidden).
# Run from anywhere after building stowbar-sim (cmake --build --preset release --target stowbar-sim).
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
sim=$root/build/release/src/sim-main/stowbar-sim
out=$root/docs/pictures
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

run() {  # SCENARIO FOLDER
  mkdir -p "$work/home-$2" "$work/$2"
  HOME=$work/home-$2 "$sim" --snapshots "$work/$2" "$1" >/dev/null
}

run "$root/examples/panel.json" panel
sed 's/"bundleIdentifiers": \[[^]]*\]/"bundleIdentifiers": []/' "$root/examples/panel.json" >"$work/empty.json"
run "$work/empty.json" empty

# The first picture of each state; for the list, the one with the extras' captured pictures.
cp "$work/panel/0001-accessibility.png" "$out/accessibility.png"
cp "$work/panel/0002-fullDiskAccess.png" "$out/full-disk-access.png"
cp "$work/panel/0003-loading.png" "$out/loading.png"
cp "$work/panel/0005-list.png" "$out/list.png"
for picture in "$work"/empty/*-empty.png; do
  cp "$picture" "$out/empty.png"
  break
done
echo "wrote docs/pictures/{accessibility,full-disk-access,loading,list,empty}.png"
