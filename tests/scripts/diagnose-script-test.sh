#!/usr/bin/env bash
# The README's first command, end to end: scripts/diagnose.sh shows the report of this machine,
# the report for the example desktop and the panel's pictures, each step introduced by one
# line, and writes nothing outside the pictures' folder and the build tree.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/home"
fail() {
  echo "FAILED: $*" >&2
  echo "--- output ---" >&2
  cat "$work/out" >&2
  exit 1
}

HOME="$work/home" "$root/scripts/diagnose.sh" --snapshots "$work/pictures" </dev/null \
  >"$work/out" 2>&1 || fail "exit status $?"

steps=$(grep -c '^== [0-9]\. ' "$work/out" || true)
[ "$steps" -eq 3 ] || fail "expected three step lines, found $steps"
# The second step is the report for the example desktop, with its example hidden set.
example=$(sed -n '/^== 2\. /,/^== 3\. /p' "$work/out")
for expected in "hidden bundle identifiers (2):" "  • com.example.alpha" \
  "AXIsProcessTrusted: true" "  Alpha [com.example.alpha]  ax=(1510,-30 31x24)  hiddenInPlist=YES"; do
  grep -qF -- "$expected" <<<"$example" || fail "the example report lacks: $expected"
done
grep -qF '"event":"press"' "$work/out" || fail "the panel's transcript lacks its press"
for picture in 0001-accessibility.png 0004-list.png 0006-accessibility.png; do
  [ -s "$work/pictures/$picture" ] || fail "no picture $picture"
done
[ -z "$(ls -A "$work/home")" ] || fail "wrote into HOME: $(ls -A "$work/home")"
if compgen -G "$root/build/release/diagnose-home.*" >/dev/null; then
  fail "left its scratch home behind"
fi
echo "passed"
