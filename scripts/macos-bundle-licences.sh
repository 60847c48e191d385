#!/usr/bin/env bash
# Completes Stowbar.app's THIRD-PARTY-NOTICES.txt with the libraries macdeployqt copied into
# Contents/Frameworks, which depend on how Homebrew built Qt and so are only known once they are
# there. Run by `cmake --install` after macdeployqt, before signing:
#
#   scripts/macos-bundle-licences.sh PATH/TO/Stowbar.app
#
# Each library gets a line naming it. Qt's frameworks, libplist, utf8proc and Sparkle point to
# their sections above; for any other library the licence files Homebrew installed with it
# (Homebrew keeps a formula's COPYING, LICENSE, LICENCE and NOTICE files at the top of its folder)
# are appended in full. A library whose licence cannot be found is reported and left unnamed, so
# that scripts/macos-notarize.sh refuses the bundle until someone adds it by hand.
set -euo pipefail

app=${1:?usage: scripts/macos-bundle-licences.sh Stowbar.app}
notices=$app/Contents/Resources/THIRD-PARTY-NOTICES.txt
[ -f "$notices" ] || { echo "no notices at $notices" >&2; exit 1; }
brew_prefix=${HOMEBREW_PREFIX:-$(brew --prefix 2>/dev/null || true)}

appendix=$(mktemp)
trap 'rm -f "$appendix" "$appendix.base"' EXIT
heading="Appendix: the libraries in Contents/Frameworks"
# Installing again starts from the notices without an earlier appendix (and its blank lines).
awk -v heading="$heading" '$0 == heading { exit }
  /^$/ { blank = blank "\n"; next }
  { printf "%s%s\n", blank, $0; blank = "" }' "$notices" >"$appendix.base"
missing=0
for item in "$app"/Contents/Frameworks/*; do
  [ -e "$item" ] || continue
  name=$(basename "$item")
  case "$name" in
    Qt*.framework) printf '\n%s\n' "Contents/Frameworks/$name: Qt, section 1." >>"$appendix"; continue ;;
    libplist*) printf '\n%s\n' "Contents/Frameworks/$name: libplist, section 2." >>"$appendix"; continue ;;
    libutf8proc*) printf '\n%s\n' "Contents/Frameworks/$name: utf8proc, section 3." >>"$appendix"; continue ;;
    Sparkle.framework) printf '\n%s\n' "Contents/Frameworks/$name: Sparkle, section 4." >>"$appendix"; continue ;;
  esac
  # The formula whose lib folder holds a library of this name.
  keg=""
  if [ -n "$brew_prefix" ]; then
    for candidate in "$brew_prefix"/opt/*/lib/"$name"; do
      [ -e "$candidate" ] || continue
      keg=$(cd -P "$(dirname "$candidate")/.." && pwd)
      break
    done
  fi
  licences=()
  if [ -n "$keg" ]; then
    for file in "$keg"/*; do
      case "$(basename "$file" | tr '[:upper:]' '[:lower:]')" in
        copying* | licen[cs]e* | notice* | copyright*) [ -f "$file" ] && licences+=("$file") ;;
      esac
    done
  fi
  if [ ${#licences[@]} -eq 0 ]; then
    echo "no licence found for Contents/Frameworks/$name: name it in THIRD-PARTY-NOTICES.txt by hand" >&2
    missing=1
    continue
  fi
  formula=$(basename "$(dirname "$keg")")
  {
    printf '\n%s\n' "Contents/Frameworks/$name: Homebrew's formula \"$formula\" $(basename "$keg"), unmodified"
    printf '%s\n' "(source: https://formulae.brew.sh/formula/$formula). Its licence files follow."
    for file in "${licences[@]}"; do
      printf '\n--- %s ---\n\n' "$(basename "$file")"
      cat "$file"
    done
  } >>"$appendix"
done

{
  cat "$appendix.base"
  if [ -s "$appendix" ]; then
    printf '\n\n%s\n%s\n\n' "$heading" "---------------------------------------------"
    cat "$appendix"
  fi
} >"$notices"
exit "$missing"
