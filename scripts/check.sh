#!/usr/bin/env bash
# Static checks: clang-format is clean, and the portable core includes no OS or toolkit
# header (it reaches the system only through its ports).
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
exit $status
