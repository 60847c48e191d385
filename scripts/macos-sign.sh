#!/usr/bin/env bash
# Signs Stowbar.app from the inside out: every nested library, plug-in, helper and framework
# first (deepest paths first, so each container is signed after what it holds), then the bundle.
#
#   scripts/macos-sign.sh IDENTITY [PATH/TO/Stowbar.app]
#
# IDENTITY is a code-signing identity from the keychain (`security find-identity -v -p codesigning`)
# or "-" for an ad-hoc signature. The bundle defaults to the one `cmake --install build/release
# --prefix build/release/install` makes.
#
# Why a stable identity matters: macOS keeps the Accessibility and Screen Recording grants (TCC)
# against the signature's designated requirement. An ad-hoc signature has no identity, so its
# requirement is the code's hash, which changes with every build: System Settings keeps showing
# Stowbar's switch turned on, while the running build is told it is not trusted. Sign development
# builds with one stable identity (a self-signed code-signing certificate made in Keychain Access
# will do) and the grants survive rebuilds. Release builds use a "Developer ID Application"
# identity; this script then adds the hardened runtime and a secure timestamp, as notarisation
# requires; scripts/macos-notarize.sh then notarises it and makes the disk image.
# Stowbar needs no entitlements: no sandbox (Accessibility reads other processes), and neither
# Accessibility nor screen capture has an entitlement.
set -euo pipefail

identity=${1:?usage: scripts/macos-sign.sh IDENTITY [Stowbar.app]}
app=${2:-build/release/install/Stowbar.app}
[ -d "$app/Contents" ] || { echo "no application bundle at $app" >&2; exit 1; }

options=(--force --sign "$identity")
case "$identity" in
  "Developer ID Application"*) options+=(--options runtime --timestamp) ;;
  -) echo "note: ad-hoc signature; Accessibility and Screen Recording grants will not survive the next build" >&2 ;;
esac

# Nested code: libraries, plug-ins, frameworks, helper bundles and executables. Symbolic links
# (the frameworks' Versions/Current and friends) are skipped; their targets are signed.
find "$app/Contents" ! -type l \( -name '*.dylib' -o -name '*.so' -o -name '*.framework' \
  -o -name '*.xpc' -o -name '*.app' -o \( -type f -perm -u+x \) \) ! -path "$app/Contents/MacOS/*" |
  awk '{ print length($0) "\t" $0 }' | sort -rn | cut -f2- |
  while IFS= read -r item; do
    # Nested code keeps the entitlements it was built with: Sparkle's XPC services have their own.
    codesign "${options[@]}" --preserve-metadata=entitlements "$item"
  done

codesign "${options[@]}" "$app"
codesign --verify --deep --strict --verbose=2 "$app"
