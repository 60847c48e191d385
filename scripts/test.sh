#!/usr/bin/env bash
# Sets up, builds and runs every test: the release build, then the same suite under
# AddressSanitizer + UndefinedBehaviorSanitizer and under ThreadSanitizer.
# STOWBAR_PRESETS="release" limits the run to the presets named.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
for preset in ${STOWBAR_PRESETS:-release asan-ubsan tsan}; do
  echo "=== $preset ==="
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset" -j2
done
