#!/usr/bin/env bash
# Sets up, builds (release) and runs `stowbar --diagnose`. Extra arguments go to the program.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release --target stowbar
program=build/release/src/main/stowbar
[ "$(uname -s)" = Darwin ] && program=build/release/src/main/Stowbar.app/Contents/MacOS/Stowbar
exec "$program" --diagnose "$@"
