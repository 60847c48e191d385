#!/usr/bin/env bash
# Builds the release benchmarks, runs them, and ends with one line per speed goal:
#
#   GOAL MEASURED TARGET ok|short
#
# A ratio goal compares a measurement with its floor (the work it cannot avoid), both measured
# by the same program in one run, interleaved and repeated so that a busy machine slows both
# alike; each side is the median of its processor times. A turn goal is the longest single
# turn of the real Qt loop, in milliseconds of wall time, with the panel shown.
#
# Exits 0 when every benchmark could measure, whatever the verdicts.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset release >/dev/null
cmake --build --preset release --target benchmarks >/dev/null

bench=build/release/bench
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

paired=(--benchmark_repetitions="${STOWBAR_BENCH_REPETITIONS:-9}"
  --benchmark_enable_random_interleaving=true --benchmark_min_time=0.1
  --benchmark_report_aggregates_only=true --benchmark_format=csv)

run() {
  local program=$1
  shift
  if ! "$bench/$program" "$@" >"$out/$program.csv" 2>"$out/$program.log"; then
    echo "$program failed:" >&2
    cat "$out/$program.log" >&2
    exit 1
  fi
  if grep -q ',true,' "$out/$program.csv"; then
    echo "$program could not measure:" >&2
    grep ',true,' "$out/$program.csv" >&2
    exit 1
  fi
}

run app_delegate_bench "${paired[@]}" --benchmark_filter='PollTick'
run controller_bench "${paired[@]}" --benchmark_filter='NothingChanged|Floor|ListRunning'
run control_center_bench "${paired[@]}" --benchmark_filter='LoadSnapshot|FloorStatReadAndParse'
run bridge_bench "${paired[@]}" --benchmark_filter='FindMenuBarItems|BareAttributeReads/[12]'
run main_thread_stall_bench --benchmark_format=csv

# value PROGRAM ROW COLUMN: a row's column from a program's CSV; times in nanoseconds.
value() {
  awk -F, -v row="$2" -v column="$3" '
    NR == 1 || /^name,/ {
      for (i = 1; i <= NF; i++) { gsub(/"/, "", $i); index_of[$i] = i }
      next
    }
    {
      name = $1; gsub(/"/, "", name)
      if (name != row) next
      v = $(index_of[column])
      if (column == "cpu_time" || column == "real_time") {
        unit = $(index_of["time_unit"])
        if (unit == "us") v *= 1e3; else if (unit == "ms") v *= 1e6; else if (unit == "s") v *= 1e9
      }
      print v; found = 1; exit
    }
    END { if (!found) exit 1 }' "$out/$1.csv"
}

median() { value "$1" "$2_median" cpu_time; }

verdict() {
  awk -v goal="$1" -v measured="$2" -v target="$3" 'BEGIN {
    printf "%s %.2f %.2f %s\n", goal, measured, target, (measured <= target ? "ok" : "short") }'
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { print a / b }'; }
sum() { awk -v a="$1" -v b="$2" 'BEGIN { print a + b }'; }

poll=$(median app_delegate_bench PollTickWhenNothingChanged)
poll_floor=$(median app_delegate_bench PollTickFloor)
refresh=$(median controller_bench BM_RefreshWithNothingChanged300Applications)
reads=$(median controller_bench BM_FloorTwoReadsAndOneParse)
listing=$(median controller_bench BM_ListRunningApplications300)
snapshot=$(median control_center_bench BM_LoadSnapshot)
snapshot_floor=$(median control_center_bench BM_FloorStatReadAndParse)
scan=$(median bridge_bench BM_FindMenuBarItems)
# The scan's floor makes every port call the scan makes and keeps the extras' elements it
# returns; the calls alone (without keeping anything) are printed beside it.
scan_floor=$(median bridge_bench BM_BareAttributeReads/2)
scan_calls=$(median bridge_bench BM_BareAttributeReads/1)

echo "# medians of processor time, ns: poll tick $poll (floor $poll_floor); no-change refresh" \
  "$refresh (two reads and a parse $reads, listing $listing); loadSnapshot $snapshot" \
  "(floor $snapshot_floor); findMenuBarItems $scan (floor $scan_floor, the calls alone" \
  "$scan_calls)"
for slowness in hang_before_scan hang_after_scan slow_answers; do
  for panel in shown hidden absent; do
    row="LongestTurn/${slowness}_panel_${panel}/iterations:3"
    echo "# longest turn, $slowness, panel $panel: $(value main_thread_stall_bench "$row" \
      longest_turn_ms) ms wall, $(value main_thread_stall_bench "$row" longest_turn_cpu_ms) ms" \
      "processor"
  done
done

verdict poll-tick "$(ratio "$poll" "$poll_floor")" 1.2
verdict no-change-refresh "$(ratio "$refresh" "$(sum "$reads" "$listing")")" 1.3
verdict no-change-refresh-bare "$(ratio "$refresh" "$reads")" 1.3
verdict load-snapshot "$(ratio "$snapshot" "$snapshot_floor")" 1.2
verdict find-menu-bar-items "$(ratio "$scan" "$scan_floor")" 1.1
for slowness in hang-before-scan hang-after-scan slow-answers; do
  row="LongestTurn/${slowness//-/_}_panel_shown/iterations:3"
  verdict "longest-turn-$slowness-ms" \
    "$(value main_thread_stall_bench "$row" longest_turn_ms)" 1.0
done
