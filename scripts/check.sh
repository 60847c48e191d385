#!/usr/bin/env bash
# Static checks: clang-format and clang-tidy are clean, the portable core includes no OS or
# toolkit header (it reaches the system only through its ports), and everything the Apple build
# compiles type-checks here (scripts/check-macos.sh), and the icon is what its drawing makes.
# A missing tool fails the check: a check that quietly does not run passes nothing.
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
  require clang++-19 clang-19
  require python3 python3
fi

files=$(git ls-files '*.cpp' '*.hpp' '*.mm' 'scripts/apple-interfaces/*.h')
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
# Each adapter holds one system: Qt, POSIX, property lists and the simulated desktop include no
# other adapter; Linux and macOS may include the Qt room, whose loop and popover they serve. No
# adapter includes a program.
if git grep -nE '^#include "adapters/(linux|macos|posix|plist|sim)/' -- src/adapters/qt ||
  git grep -nE '^#include "adapters/(linux|macos|qt|posix|plist)/' -- src/adapters/sim ||
  git grep -nE '^#include "adapters/(linux|macos|qt|sim)/' -- src/adapters/posix src/adapters/plist ||
  git grep -nE '^#include "adapters/macos/' -- src/adapters/linux ||
  git grep -nE '^#include "adapters/linux/' -- src/adapters/macos ||
  git grep -nE '^#include "(main|sim-main)/' -- src/adapters; then
  echo "an adapter must include only the ports, the runtime and, for Linux and macOS, the Qt room"
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

# What the Apple build compiles, against libc++ and the documented Apple interfaces.
if ! scripts/check-macos.sh; then
  status=1
fi

# The app's icon is made from its drawing; the two must not drift apart.
if [ "$(uname -s)" != Darwin ] && ! scripts/make-icon.sh --check; then
  status=1
fi
exit $status
