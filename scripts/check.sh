#!/usr/bin/env bash
# Static checks: clang-format and clang-tidy are clean, the portable core includes no OS or
# toolkit header (it reaches the system only through its ports), and the Objective-C++ of the
# macOS adapters that GNUstep can parse is free of syntax errors. A missing tool fails the
# check: a check that quietly does not run passes nothing.
set -euo pipefail
cd "$(dirname "$0")/.."
status=0

# Each tool the checks run, with the Debian package that provides it (scripts/setup.sh installs
# them all). clang-tidy is pinned to one version: its checks and findings change between versions.
require() {
  if ! command -v "$1" >/dev/null; then
    echo "scripts/check.sh: $1 is missing: install the Debian package $2 (scripts/setup.sh does)" >&2
    exit 1
  fi
}
require git git
require cmake cmake
require clang-format clang-format
require clang-tidy-19 clang-tidy-19
if [ "$(uname -s)" != Darwin ]; then
  require gnustep-config gnustep-make
  require clang++-14 clang-14
  require gcc gcc
fi

files=$(git ls-files '*.cpp' '*.hpp' '*.mm')
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
# Below the core, the ports may speak of the runtime only, and the runtime of nothing above it.
if git grep -nE '^#include "core/' -- src/runtime src/platform ||
  git grep -nE '^#include "platform/' -- src/runtime; then
  echo "platform and runtime must not include the core, nor runtime the platform"
  status=1
fi
# clang-tidy over every translation unit a configured build compiles from the program's own
# sources, tests and benchmarks (configured here when there is none yet; nothing needs to be
# built). Another system's files (the macOS adapters on Linux) have no compile commands here.
build=${STOWBAR_TIDY_BUILD:-build/release}
if [ ! -f "$build/compile_commands.json" ]; then
  cmake --preset release >/dev/null
  build=build/release
fi
tidy_log=$(mktemp "${TMPDIR:-/tmp}/stowbar-tidy.XXXXXX")
trap 'rm -f "$tidy_log"' EXIT
sed -n 's/^ *"file": "\(.*\)",\{0,1\}$/\1/p' "$build/compile_commands.json" |
  sed -n "s|^$PWD/||p" | grep -E '^(src|tests|bench|fuzz)/.*\.cpp$' | sort -u >"$tidy_log"
if [ ! -s "$tidy_log" ]; then
  echo "clang-tidy: $build/compile_commands.json lists none of the program's sources"
  exit 1
fi
tidy_files=$(cat "$tidy_log")
if ! xargs -P2 -n4 clang-tidy-19 -p "$build" --quiet <<<"$tidy_files" >"$tidy_log" 2>&1; then
  grep -E "(warning|error):" "$tidy_log" | sort -u
  echo "clang-tidy: fix the findings above (the full text: clang-tidy-19 -p $build FILE; missing"
  echo "includes: add --fix-errors --checks=-*,misc-include-cleaner, then clang-format -i FILE)"
  status=1
fi

# No Mac is at hand here, so the macOS adapters' Objective-C++ is at least parsed against Debian's
# GNUstep where GNUstep has the same classes: the workspace (NSWorkspace, NSRunningApplication,
# the workspace notification centre). GNUstep lacks the rest (status item buttons, global event
# monitors, ScreenCaptureKit, ServiceManagement, Sparkle, ApplicationServices); those files are
# checked only by the macOS CI job. ARC cannot be checked this way: GCC's Objective-C runtime
# headers, which GNUstep uses, refuse it. Missing packages fail the check (scripts/setup.sh installs
# them).
gnustep_checked=(src/adapters/macos/MacWorkspace.mm)
if [ "$(uname -s)" = Darwin ]; then
  : # A Mac compiles every one of these files in its own build.
elif [ ! -d "$(gnustep-config --variable=GNUSTEP_SYSTEM_HEADERS)/AppKit" ]; then
  echo "GNUstep syntax check: AppKit headers missing: install the Debian package libgnustep-gui-dev"
  status=1
else
  shim=$(mktemp -d)
  mkdir -p "$shim/objc"
  # GNUstep's headers ask for a blocks runtime header that Debian's GCC runtime does not ship;
  # declarations are all a syntax check needs, and none come from it.
  : >"$shim/objc/blocks_runtime.h"
  read -r -a objc_flags <<<"$(gnustep-config --objc-flags | sed 's/-I/-isystem /g; s/-MMD//; s/-MP//')"
  for file in "${gnustep_checked[@]}"; do
    if ! clang++-14 -fsyntax-only -x objective-c++ -std=c++20 -fobjc-runtime=gnustep-2.0 -fblocks \
        "${objc_flags[@]}" -isystem "$(gcc -print-file-name=include)" -isystem "$shim" -I src \
        -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion -Werror "$file"; then
      echo "GNUstep syntax check failed: $file"
      status=1
    fi
  done
  rm -rf "$shim"
fi
exit $status
