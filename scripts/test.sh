#!/usr/bin/env bash
# Sets up, builds and runs every test: the release build (GCC), then under AddressSanitizer +
# UndefinedBehaviorSanitizer, under ThreadSanitizer, and built with clang 19 (the compiler family
# a Mac builds with). STOWBAR_PRESETS="release" limits the run to the presets named.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
# The executable tests start the Linux program and read /proc; a Mac checks its bundle instead.
exclude=()
[ "$(uname -s)" = Darwin ] && exclude=(-E '^StowbarExecutable\.')
presets="release asan-ubsan tsan clang"
for preset in ${STOWBAR_PRESETS:-$presets}; do
  echo "=== $preset ==="
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset" -j2 ${exclude[@]+"${exclude[@]}"}
done
