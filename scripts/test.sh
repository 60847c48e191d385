#!/usr/bin/env bash
# Sets up, builds and runs every test: the release build (GCC), the same suite built with clang
# (the compiler a Mac builds with, so its warnings are caught here too), then under
# AddressSanitizer + UndefinedBehaviorSanitizer and under ThreadSanitizer.
# STOWBAR_PRESETS="release" limits the run to the presets named.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
# The executable tests start the Linux program and read /proc; a Mac checks its bundle instead.
exclude=()
[ "$(uname -s)" = Darwin ] && exclude=(-E '^StowbarExecutable\.')
# A Mac's release build already is a clang build, and has no clang++-19 for the clang preset.
presets="release clang asan-ubsan tsan"
[ "$(uname -s)" = Darwin ] && presets="release asan-ubsan tsan"
for preset in ${STOWBAR_PRESETS:-$presets}; do
  echo "=== $preset ==="
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset" -j2 ${exclude[@]+"${exclude[@]}"}
done
