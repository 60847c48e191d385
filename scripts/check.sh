#!/usr/bin/env bash
# Static checks: clang-format and clang-tidy are clean, and the portable core includes no OS or
# toolkit header (it reaches the system only through its ports).
set -euo pipefail
cd "$(dirname "$0")/.."
status=0

files=$(git ls-files '*.cpp' '*.hpp')
if ! clang-format --dry-run --Werror $files; then
  echo "clang-format: run 'clang-format -i' on the files above"
  status=1
fi

forbidden='^#include <(unistd\.h|fcntl\.h|pwd\.h|poll\.h|signal\.h|dlfcn\.h|pthread\.h|plist/|Q[A-Za-z]+|sys/|ApplicationServices|AppKit|Cocoa|CoreFoundation)'
if git grep -nE "$forbidden" -- src/core src/runtime src/platform; then
  echo "the core must reach the system through its ports only"
  status=1
fi
# Layers point one way: adapters include the core, runtime and ports, never the other way round.
if git grep -nE '^#include "(adapters|main|sim-main)/' -- src/core src/runtime src/platform; then
  echo "core, runtime and platform must not include an adapter or a composition root"
  status=1
fi
# clang-tidy over the program's sources, with the compile commands of a configured build.
build=${STOWBAR_TIDY_BUILD:-build/release}
if [ -f "$build/compile_commands.json" ]; then
  if ! git ls-files 'src/*.cpp' | xargs -P2 -n4 clang-tidy -p "$build" --quiet >/tmp/stowbar-tidy.log 2>&1; then
    grep -E "(warning|error):" /tmp/stowbar-tidy.log | sort -u
    echo "clang-tidy: fix the findings above"
    status=1
  fi
else
  echo "clang-tidy skipped: no $build/compile_commands.json (configure a build first)"
fi
exit $status
