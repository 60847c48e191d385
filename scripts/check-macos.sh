#!/usr/bin/env bash
# Type-checks, without a Mac, every translation unit the Apple build compiles:
# - the portable files (everything the Linux build compiles except its Linux-only files) with
#   clang 19 against LLVM's libc++ 19, the generation of Apple's own toolchain, with the
#   project's warning flags and no experimental-library flag;
# - the Apple-only files against declarations of the Apple interfaces they use, written from
#   Apple's documentation (scripts/apple-interfaces), Objective-C++ with ARC and blocks;
# - a guard that no file the Apple build compiles includes a glibc- or Linux-only header or
#   calls a glibc-only function.
# It proves the Mac build's C++ and Objective-C++ against the documented interfaces; only a Mac
# proves the SDK's own headers, linking, and every behaviour. A missing tool fails the check.
#
# With file names as arguments only those files are checked (all three ways that apply).
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "$(uname -s)" = Darwin ]; then
  exit 0  # A Mac compiles every one of these files in its own build.
fi
for tool in clang++-19 python3 pkg-config git; do
  if ! command -v "$tool" >/dev/null; then
    echo "scripts/check-macos.sh: $tool is missing (scripts/setup.sh installs it)" >&2
    exit 1
  fi
done
if ! echo '#include <version>' | clang++-19 -x c++ -stdlib=libc++ -fsyntax-only - 2>/dev/null; then
  echo "scripts/check-macos.sh: libc++ 19 is missing: install libc++-19-dev libc++abi-19-dev" >&2
  exit 1
fi
status=0
# Keeps, of the file names on standard input, those asked for (all when none were).
selected() {
  if [ ${#only[@]} -eq 0 ]; then
    cat
  else
    grep -xF -f <(printf '%s\n' "${only[@]}") || true
  fi
}
only=("$@")

# The Linux build's files that the Apple build leaves out (the if(APPLE)/else branches of the
# CMake files): the Linux program, its signal socket pair, inotify, xcb and platform choice, the AT-SPI
# test, the Linux conformance suite and the GLib stall benchmark.
linux_only='^(src/main/main\.cpp|src/adapters/linux/(SocketPairTerminationSignals|LinuxQtPlatformChoice|InotifyDirectoryWatcher|XcbDesktopTranslucency)\.[ch]pp|tests/conformance/LinuxConformanceTest\.cpp|tests/adapters/qt/atspi/.*|bench/MainThreadStallBench\.cpp)$'
# The files only the Apple build compiles (src/adapters/macos is added only if(APPLE); Sparkle's
# file too when the updater is built in).
apple_only='^(src/adapters/macos/.*|src/main/macos/.*|tests/conformance/macos/.*)\.(cpp|mm)$'

build=${STOWBAR_TIDY_BUILD:-build/release}
if [ ! -f "$build/compile_commands.json" ]; then
  cmake --preset release >/dev/null
  build=build/release
fi

log=$(mktemp -d "${TMPDIR:-/tmp}/stowbar-macos.XXXXXX")
trap 'rm -rf "$log"' EXIT

# One response file per portable file of the Linux build: its -I, -isystem, -D and -W flags,
# its language standard and its path, so each is checked with its own include paths and the
# project's warnings.
python3 - "$build/compile_commands.json" "$PWD" "$linux_only" "$log" "$@" <<'PY'
import json, re, shlex, sys
entries, root = json.load(open(sys.argv[1])), sys.argv[2] + "/"
linux_only, out, only = re.compile(sys.argv[3]), sys.argv[4], set(sys.argv[5:])
seen = set()
for entry in entries:
    path = entry["file"]
    if not path.startswith(root):
        continue
    path = path[len(root):]
    if not re.match(r"^(src|tests|bench|fuzz)/.*\.cpp$", path) or linux_only.match(path) or path in seen \
            or (only and path not in only):
        continue
    seen.add(path)
    words = entry["arguments"] if "arguments" in entry else shlex.split(entry["command"])
    keep, take_next = [], False
    for word in words[1:]:
        if take_next:
            keep.append(word); take_next = False
        elif word in ("-I", "-isystem", "-D"):
            keep.append(word); take_next = True
        elif re.match(r"^-(I|isystem|D|W|std=)", word):
            keep.append(word)
    with open(f"{out}/{len(seen):04d}.rsp", "w") as rsp:
        rsp.write(" ".join(shlex.quote(word) for word in keep + [path]) + "\n")
PY
if [ ${#only[@]} -eq 0 ] && ! ls "$log"/*.rsp >/dev/null 2>&1; then
  echo "check-macos: $build/compile_commands.json lists none of the program's sources"
  exit 1
fi

# libc++ rather than libstdc++: what Apple's standard library lacks (std::stop_token up to
# LLVM 19, say) fails here as it would in Xcode.
if ! find "$log" -name '*.rsp' | xargs -r -P2 -I{} clang++-19 -stdlib=libc++ -fsyntax-only -fPIC @{}; then
  echo "check-macos: a portable file does not compile against libc++ (above)"
  status=1
fi
# The project's warnings, as CMake hands them to every target (stowbar_warnings).
warnings=$(sed -n 's/^ *"command": ".* \(-Wall .*-Werror\) .*/\1/p;T;q' "$build/compile_commands.json")

# The Apple-only files: the documented Apple interfaces come from scripts/apple-interfaces,
# everything else (POSIX, Qt, GoogleTest) from this system.
read -r -a qt_flags <<<"$(pkg-config --cflags Qt6Widgets | sed 's/-I/-isystem /g')"
read -r -a warning_flags <<<"$warnings"
for file in $(git ls-files src tests | grep -E "$apple_only" | selected); do
  language=(-x c++)
  case "$file" in
    *.mm) language=(-x objective-c++ -fobjc-arc -fblocks -fobjc-runtime=macosx-26.0) ;;
  esac
  if ! clang++-19 "${language[@]}" -std=c++20 -stdlib=libc++ -fsyntax-only -fPIC \
      -isystem scripts/apple-interfaces "${qt_flags[@]}" -I src -I tests \
      "${warning_flags[@]}" "$file"; then
    echo "check-macos: $file does not compile against the documented Apple interfaces"
    status=1
  fi
done

# The guard: what only glibc or Linux has, in any file the Apple build compiles. A block under
# `#if defined(__GLIBC__)` or `#if defined(__linux__)` (up to its #else or #endif) is Linux's
# own and skipped. StowbarExecutableTest.cpp is compiled on a Mac but run only on Linux (it
# watches the program through /proc; the macOS job leaves it out).
glibc_only='#include <(bits/|malloc\.h|features\.h|gnu/|linux/|sys/(signalfd|inotify|epoll|prctl|sysinfo|sysmacros)\.h|mcheck\.h)|\bmallinfo2?\b|\bmalloc_(usable_size|trim|stats)\b|"/proc/|\bsignalfd\b|\binotify_|\bepoll_|\bprctl\(|\bgetauxval\(|\bpipe2\(|\baccept4\(|\bprogram_invocation_name\b|\bO_PATH\b|\bCLOCK_BOOTTIME\b'
for file in $(git ls-files src tests bench fuzz | grep -E '\.(cpp|hpp|mm)$' | grep -vE "$linux_only" |
    grep -vE '^tests/main/StowbarExecutableTest\.cpp$|InotifyDirectoryWatcher' | selected); do
  found=$(awk -v name="$file" '
    /^[ \t]*#[ \t]*if/ {
      depth++
      if (skip == 0 && $0 ~ /(__GLIBC__|__linux__)/ && $0 !~ /!/) { skip = depth; next }
    }
    /^[ \t]*#[ \t]*(else|elif)/ && skip == depth { skip = 0; next }
    /^[ \t]*#[ \t]*endif/ { if (skip == depth) skip = 0; depth--; next }
    skip == 0 && $0 !~ /^[ \t]*\/\// { print name ":" FNR ": " $0 }' "$file" | grep -E "$glibc_only" || true)
  if [ -n "$found" ]; then
    printf '%s\n' "$found"
    linux_found=1
  fi
done
if [ -n "${linux_found:-}" ]; then
  echo "check-macos: a file the Apple build compiles uses what only glibc or Linux has (above)"
  status=1
fi
exit $status
