#!/usr/bin/env bash
# Makes cmake/Stowbar.icns, the application icon of Stowbar.app, from its drawing
# cmake/Stowbar.svg. Run it after changing the drawing and commit both files.
#
#   scripts/make-icon.sh          rewrites cmake/Stowbar.icns
#   scripts/make-icon.sh --check  fails if cmake/Stowbar.icns is not what the drawing makes
#
# The icon is committed rather than made by the build, so that building Stowbar.app needs no
# SVG renderer (Homebrew's librsvg brings a large tree with it) and so that the icon a release
# carries does not depend on the renderer version of whichever machine built it. The output is
# reproducible: the same drawing and the same tools give the same bytes (rsvg-convert writes no
# time into its PNGs, png2icns adds nothing of its own).
#
# Tools: rsvg-convert (Debian: librsvg2-bin; Homebrew: librsvg) renders each size; on Linux
# png2icns (Debian: icnsutils) packs them, on a Mac Apple's iconutil does. The committed icon was
# made on Debian 12 with librsvg2-bin 2.54 and icnsutils 0.8.1 (16, 32, 48 and 128 pixels as
# classic images with masks; 256, 512 and 1024 as JPEG 2000, both of which macOS reads). iconutil
# also writes the double-density variants, so its output differs from the committed file; --check
# is meant for Linux.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
svg=$here/cmake/Stowbar.svg
icns=$here/cmake/Stowbar.icns
check=false
case "${1:-}" in
  --check) check=true ;;
  "") ;;
  *) echo "usage: scripts/make-icon.sh [--check]" >&2; exit 2 ;;
esac

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
render() { rsvg-convert --width "$1" --height "$1" --format png "$svg" --output "$2"; }

if [ "$(uname -s)" = Darwin ] && command -v iconutil >/dev/null; then
  set_dir=$work/Stowbar.iconset
  mkdir "$set_dir"
  for size in 16 32 128 256 512; do
    render "$size" "$set_dir/icon_${size}x${size}.png"
    render $((size * 2)) "$set_dir/icon_${size}x${size}@2x.png"
  done
  iconutil -c icns -o "$work/Stowbar.icns" "$set_dir"
else
  pngs=()
  for size in 16 32 48 128 256 512 1024; do
    render "$size" "$work/$size.png"
    pngs+=("$work/$size.png")
  done
  png2icns "$work/Stowbar.icns" "${pngs[@]}" >/dev/null
fi

if $check; then
  cmp -s "$work/Stowbar.icns" "$icns" ||
    { echo "cmake/Stowbar.icns is not what cmake/Stowbar.svg makes: run scripts/make-icon.sh" >&2; exit 1; }
  echo "cmake/Stowbar.icns matches cmake/Stowbar.svg"
else
  cp "$work/Stowbar.icns" "$icns"
  echo "wrote cmake/Stowbar.icns"
fi
