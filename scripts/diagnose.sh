#!/usr/bin/env bash
# Sets up and builds (release), then shows in three steps what Stowbar sees and does:
#   1. the diagnostics report of this machine (`stowbar --diagnose`);
#   2. the same report for the bundled example desktop: stowbar-sim on examples/desk.json, with
#      examples/control-center.plist as Control Center's file under a scratch home;
#   3. the panel in use on the simulated desktop (examples/panel.json): its transcript, and a
#      picture of each state the panel showed, written to a folder.
#
# usage: scripts/diagnose.sh [--snapshots DIR] [ARGS...]
#   DIR receives the pictures (default: build/release/panel-pictures, emptied first);
#   ARGS go to the report of this machine.
# Nothing is written outside DIR and the build tree.
set -euo pipefail
cd "$(dirname "$0")/.."

pictures=""
if [ "${1:-}" = "--snapshots" ]; then
  if [ $# -lt 2 ]; then
    echo "usage: scripts/diagnose.sh [--snapshots DIR] [ARGS...]" >&2
    exit 2
  fi
  pictures=$2
  shift 2
fi

scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release --target stowbar stowbar-sim
program=build/release/src/main/stowbar
[ "$(uname -s)" = Darwin ] && program=build/release/src/main/Stowbar.app/Contents/MacOS/Stowbar

build=build/release
if [ -z "$pictures" ]; then
  pictures=$build/panel-pictures
  rm -rf "$pictures"
fi

echo "== 1. The diagnostics report of this machine =="
"$program" --diagnose "$@"

# The simulated runs get a home of their own inside the build tree, and keep every cache and
# runtime file there too, so that they leave nothing behind elsewhere.
scratch=$(mktemp -d "$PWD/$build/diagnose-home.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
prefs="$scratch/Library/Group Containers/group.com.apple.controlcenter/Library/Preferences"
mkdir -p "$prefs" "$scratch/runtime"
chmod 700 "$scratch/runtime"
cp examples/control-center.plist "$prefs/group.com.apple.controlcenter.plist"
simulate() {
  env HOME="$scratch" XDG_CACHE_HOME="$scratch/.cache" XDG_CONFIG_HOME="$scratch/.config" \
    XDG_DATA_HOME="$scratch/.local/share" XDG_RUNTIME_DIR="$scratch/runtime" \
    build/release/src/sim-main/stowbar-sim "$@"
}

echo "== 2. The same report for the example desktop (examples/desk.json, hidden set from examples/control-center.plist) =="
simulate examples/desk.json --diagnose

echo "== 3. The panel in use on the example desktop (examples/panel.json); pictures of its states go to $pictures =="
# An empty home: the script writes the file itself, and the directory is not watched.
rm -rf "$scratch/Library"
simulate --snapshots "$pictures" examples/panel.json
ls "$pictures"
