#!/usr/bin/env bash
# Sets up, builds and runs every test: the release build, then the same suite under
# AddressSanitizer + UndefinedBehaviorSanitizer and under ThreadSanitizer.
# STOWBAR_PRESETS="release" limits the run to the presets named.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
# The executable tests start the Linux program and read /proc; a Mac checks its bundle instead.
exclude=()
[ "$(uname -s)" = Darwin ] && exclude=(-E '^StowbarExecutable\.')
for preset in ${STOWBAR_PRESETS:-release asan-ubsan tsan}; do
  echo "=== $preset ==="
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset" -j2 ${exclude[@]+"${exclude[@]}"}
done
