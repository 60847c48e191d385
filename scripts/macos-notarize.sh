#!/usr/bin/env bash
# Notarises a Stowbar.app signed by scripts/macos-sign.sh with a Developer ID, and makes the
# signed, notarised disk image a person downloads:
#
#   scripts/macos-sign.sh "Developer ID Application: NAME (TEAM)" build/release/install/Stowbar.app
#   scripts/macos-notarize.sh "Developer ID Application: NAME (TEAM)" PROFILE \
#       [build/release/install/Stowbar.app [build/release/Stowbar-VERSION.dmg]]
#
# PROFILE names notary credentials kept in the keychain, saved once with
#   xcrun notarytool store-credentials PROFILE --apple-id ID --team-id TEAM --password APP-PASSWORD
# (an app-specific password). NOTARY_KEYCHAIN=PATH looks the profile up in that keychain rather
# than the login keychain (CI keeps it in a temporary one).
#
# Steps: the app is checked (a library in Contents/Frameworks that THIRD-PARTY-NOTICES.txt does
# not name, which installing could not find a licence for, would ship without one), submitted and
# stapled, so that it carries its ticket
# wherever it is copied; the disk image is then made from the stapled app, the licence, the
# notices and a link to /Applications, signed, submitted and stapled in turn, so that Gatekeeper
# accepts it offline too. Last, spctl judges both as Gatekeeper will. The disk image replaces the
# one cpack made, whose app (installed again by cpack) is only signed ad hoc.
set -euo pipefail

usage="usage: scripts/macos-notarize.sh IDENTITY PROFILE [Stowbar.app [OUT.dmg]]"
identity=${1:?$usage}
profile=${2:?$usage}
app=${3:-build/release/install/Stowbar.app}
[ -d "$app/Contents" ] || { echo "no application bundle at $app" >&2; exit 1; }
version=$(plutil -extract CFBundleShortVersionString raw -o - "$app/Contents/Info.plist")
dmg=${4:-build/release/Stowbar-$version.dmg}

case "$identity" in
  "Developer ID Application"*) ;;
  *) echo "notarisation needs a \"Developer ID Application\" identity, not '$identity'" >&2; exit 1 ;;
esac

keychain=()
[ -n "${NOTARY_KEYCHAIN:-}" ] && keychain=(--keychain "$NOTARY_KEYCHAIN")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Every library shipped is named in the notices.
notices=$app/Contents/Resources/THIRD-PARTY-NOTICES.txt
unnamed=0
for item in "$app"/Contents/Frameworks/*; do
  [ -e "$item" ] || continue
  name=$(basename "$item")
  grep -qF -- "${name%%.*}" "$notices" || { echo "not named in the notices: Contents/Frameworks/$name" >&2; unnamed=1; }
done
[ "$unnamed" -eq 0 ] || exit 1

# The signature notarisation needs: valid, with the hardened runtime, by this identity.
codesign --verify --deep --strict "$app"
codesign --display --verbose=2 "$app" 2>&1 | grep -qF "Authority=$identity" ||
  { echo "$app is not signed by '$identity': run scripts/macos-sign.sh first" >&2; exit 1; }
codesign --display --verbose=2 "$app" 2>&1 | grep -q 'flags=.*runtime' ||
  { echo "$app is signed without the hardened runtime: run scripts/macos-sign.sh first" >&2; exit 1; }

# notarytool exits with 0 whatever the verdict; the verdict is the status it reports.
notarise() {
  local file=$1 answer status id
  answer=$work/answer.json
  xcrun notarytool submit "$file" --keychain-profile "$profile" ${keychain[@]+"${keychain[@]}"} --wait \
    --output-format json >"$answer"
  status=$(plutil -extract status raw -o - "$answer")
  if [ "$status" != Accepted ]; then
    id=$(plutil -extract id raw -o - "$answer" || true)
    echo "notarisation of $(basename "$file"): $status" >&2
    [ -n "$id" ] && xcrun notarytool log "$id" --keychain-profile "$profile" ${keychain[@]+"${keychain[@]}"} >&2
    exit 1
  fi
  echo "notarised: $(basename "$file")"
}

# The app: zipped for the upload (ditto keeps the symbolic links and attributes the signature
# covers), then the ticket stapled to the app itself.
ditto -c -k --keepParent "$app" "$work/Stowbar.zip"
notarise "$work/Stowbar.zip"
xcrun stapler staple "$app"
xcrun stapler validate "$app"

# The disk image, from the stapled app.
stage=$work/Stowbar
mkdir "$stage"
ditto "$app" "$stage/Stowbar.app"
cp "$notices" "$stage/THIRD-PARTY-NOTICES.txt"
cp "$app/Contents/Resources/LICENSE" "$stage/LICENSE"
ln -s /Applications "$stage/Applications"
mkdir -p "$(dirname "$dmg")"
hdiutil create -volname Stowbar -srcfolder "$stage" -format UDZO -ov "$dmg"
codesign --force --sign "$identity" --timestamp "$dmg"
notarise "$dmg"
xcrun stapler staple "$dmg"
xcrun stapler validate "$dmg"

# What Gatekeeper will say to someone who downloaded them.
spctl --assess --type execute --verbose=2 "$app"
spctl --assess --type open --context context:primary-signature --verbose=2 "$dmg"
echo "ready: $dmg"
