#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a while (default 60 s in all),
# starting from the seed corpus. A crash, leak, timeout or memory blow-up fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
scripts/setup.sh
cmake --preset fuzz >/dev/null
names="plist snapshot scenario"
cmake --build --preset fuzz --target $(for n in $names; do printf '%s_fuzzer ' "$n"; done)
targets=$(for n in $names; do echo "build/fuzz/fuzz/${n}_fuzzer"; done)
count=$(echo "$targets" | wc -w)
[ "$count" -gt 0 ] || { echo "no fuzz targets built"; exit 1; }
for target in $targets; do
  name=$(basename "$target" _fuzzer)
  work=build/fuzz/corpus-$name
  mkdir -p "$work"
  echo "=== $name: $((seconds / count)) s ==="
  "$target" -max_total_time=$((seconds / count)) -rss_limit_mb=1024 -timeout=10 \
    -print_final_stats=1 "$work" "fuzz/corpus/$name"
done
