#!/usr/bin/env bash
# Installs what Stowbar needs to build and test: Debian's packages on Linux, Homebrew's on macOS.
# Safe to run again: packages already present are left alone.
set -euo pipefail

if [ "$(uname -s)" = Darwin ]; then
  # Xcode and its command-line tools are Apple's to install; they are checked, not installed.
  if ! xcode-select -p >/dev/null 2>&1; then
    echo "Install Xcode 26 or its command-line tools first: xcode-select --install" >&2
    exit 1
  fi
  # The macOS 26 SDK: a binary built against an older one is told macOS 16.0 by the system.
  sdk=$(xcrun --sdk macosx --show-sdk-version 2>/dev/null || echo 0)
  if [ "${sdk%%.*}" -lt 26 ]; then
    echo "The macOS 26 SDK is needed (found ${sdk}): install Xcode 26 and select it with xcode-select" >&2
    exit 1
  fi
  if ! command -v brew >/dev/null; then
    echo "Homebrew is needed: https://brew.sh" >&2
    exit 1
  fi
  formulae=(cmake ninja pkgconf qt libplist utf8proc nlohmann-json googletest google-benchmark)
  missing=()
  for formula in "${formulae[@]}"; do
    brew list --versions "$formula" >/dev/null 2>&1 || missing+=("$formula")
  done
  [ ${#missing[@]} -eq 0 ] && exit 0
  echo "Installing: ${missing[*]}"
  brew install "${missing[@]}"
  exit 0
fi

packages=(
  cmake ninja-build g++ clang-14 clang-19 clang-format clang-tidy clang-tidy-19 pkg-config
  libplist-dev libutf8proc-dev nlohmann-json3-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  libclang-rt-14-dev libfuzzer-14-dev
  qt6-base-dev qt6-l10n-tools libglib2.0-dev libxcb1-dev fonts-dejavu-core fonts-inter
  libc++-19-dev libc++abi-19-dev
  xvfb dbus at-spi2-core gir1.2-atspi-2.0 python3-gi
  librsvg2-bin icnsutils
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
    missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
echo "Installing: ${missing[*]}"
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
