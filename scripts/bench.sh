#!/usr/bin/env bash
# Builds the release benchmarks, runs them, and ends with one line per speed goal:
#
#   GOAL MEASURED TARGET ok|short
#
# A ratio goal compares a measurement with its floor (the work it cannot avoid), both measured
# by the same program in one run, interleaved and repeated so that a busy machine slows both
# alike; each side is the median of its processor times. A turn goal is the longest single
# turn of the real Qt loop with the panel shown, in milliseconds of the main thread's processor
# time: the maximum over the iterations (wall time, which on a shared machine also holds other
# processes' time, is printed beside it). The idle goal counts the real program's wake-ups.
#
# Exits 0 when every benchmark could measure, whatever the verdicts.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset release >/dev/null
cmake --build --preset release --target benchmarks stowbar >/dev/null

bench=build/release/bench
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

paired=(--benchmark_repetitions="${STOWBAR_BENCH_REPETITIONS:-9}"
  --benchmark_enable_random_interleaving=true --benchmark_min_time=0.1
  --benchmark_report_aggregates_only=true --benchmark_format=csv)
once=(--benchmark_min_time=0.1 --benchmark_format=csv)

# run NAME PROGRAM ARGUMENTS...: runs a benchmark program, its CSV kept as NAME.
run() {
  local name=$1 program=$2
  shift 2
  if ! "$bench/$program" "$@" >"$out/$name.csv" 2>"$out/$name.log"; then
    echo "$program failed:" >&2
    cat "$out/$name.log" >&2
    exit 1
  fi
  if grep -q ',true,' "$out/$name.csv"; then
    echo "$program could not measure:" >&2
    grep ',true,' "$out/$name.csv" >&2
    exit 1
  fi
}

run app_delegate_bench app_delegate_bench "${paired[@]}" --benchmark_filter='PollTick'
run controller_bench controller_bench "${paired[@]}" \
  --benchmark_filter='NothingChanged300|FloorNoChangeRefresh'
run control_center_bench control_center_bench "${paired[@]}" \
  --benchmark_filter='LoadSnapshot|FloorStatReadAndParse'
run bridge_bench bridge_bench "${paired[@]}" \
  --benchmark_filter='^BM_FindMenuBarItems$|BareAttributeReads/[12]'
run scaling controller_bench "${once[@]}" \
  --benchmark_filter='Scaling|ShareableWindowListing|FullRefresh40'
run scan_scaling bridge_bench "${once[@]}" --benchmark_filter='Scaling'
run main_thread_stall_bench main_thread_stall_bench --benchmark_format=csv

# The real program idling on Qt's offscreen platform (so without a tray), with Control
# Center's example file under a scratch home; launch and its first refresh are not measured.
# Processor time and wake-ups (voluntary switches: each is a sleep ended by a wake-up) are
# summed over its threads from /proc, over a short window, and scaled to a minute.
idle_seconds=${STOWBAR_IDLE_SECONDS:-10}
idle_home=$out/idle-home
mkdir -p "$idle_home/Library/Group Containers/group.com.apple.controlcenter/Library/Preferences" \
  "$out/idle-run"
cp examples/control-center.plist "$idle_home/Library/Group Containers/group.com.apple.controlcenter/Library/Preferences/group.com.apple.controlcenter.plist"
HOME=$idle_home XDG_RUNTIME_DIR=$out/idle-run QT_QPA_PLATFORM=offscreen \
  build/release/src/main/stowbar >"$out/idle.log" 2>&1 &
idle_pid=$!
# threads PID: nanoseconds on the processor and voluntary switches, summed over its threads.
threads() {
  cat /proc/"$1"/task/*/schedstat | awk '{ ns += $1 } END { printf "%d ", ns }'
  cat /proc/"$1"/task/*/status | awk '/^voluntary_ctxt_switches/ { n += $2 } END { print n }'
}
sleep 3
read -r idle_ns0 idle_wakes0 < <(threads "$idle_pid")
sleep "$idle_seconds"
read -r idle_ns1 idle_wakes1 < <(threads "$idle_pid")
kill -TERM "$idle_pid"
wait "$idle_pid" || true
idle_ms_per_minute=$(awk -v a="$idle_ns0" -v b="$idle_ns1" -v s="$idle_seconds" \
  'BEGIN { print (b - a) / 1e6 * 60 / s }')
idle_wakes_per_minute=$(awk -v a="$idle_wakes0" -v b="$idle_wakes1" -v s="$idle_seconds" \
  'BEGIN { print (b - a) * 60 / s }')

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

poll=$(median app_delegate_bench PollTickWhenNothingChanged)
# Poll floor: the trust check, one whole read of Control Center's file (the only probe of Full
# Disk Access) and one stat (the fingerprint): what a tick must ask to notice any change.
poll_floor=$(median app_delegate_bench PollTickFloor)
refresh=$(median controller_bench BM_RefreshWithNothingChanged300Applications)
# No-change refresh floor: the trust check, one stat, one whole read, comparing its bytes with
# the last read's, and listing the running applications: a refresh must look at each input
# (permission, file, processes) once to know that none changed, and need parse nothing.
refresh_floor=$(median controller_bench BM_FloorNoChangeRefresh)
snapshot=$(median control_center_bench BM_LoadSnapshot)
# loadSnapshot floor: one stat, one whole read, and the parse of the file and of the list
# embedded in it: a snapshot is the decoded file, so it cannot be had without decoding it.
snapshot_floor=$(median control_center_bench BM_FloorStatReadAndParse)
scan=$(median bridge_bench BM_FindMenuBarItems)
# Scan floor: every port call the scan makes, on elements prepared beforehand, keeping the
# extras' elements it returns: the scan cannot learn less nor return its records without them.
# The calls alone (without keeping anything) are printed beside it.
scan_floor=$(median bridge_bench BM_BareAttributeReads/2)
scan_calls=$(median bridge_bench BM_BareAttributeReads/1)

echo "# medians of processor time, ns: poll tick $poll (floor $poll_floor); no-change refresh" \
  "$refresh (floor $refresh_floor); loadSnapshot $snapshot (floor $snapshot_floor);" \
  "findMenuBarItems $scan (floor $scan_floor, the calls alone $scan_calls)"

# stall CASE COLUMN: a column of a stall case, whatever its number of iterations.
stall() {
  local row
  row=$(grep -o "^\"$1/iterations:[0-9]*\"" "$out/main_thread_stall_bench.csv" | tr -d '"')
  value main_thread_stall_bench "$row" "$2"
}
for row in {hang_before_scan,hang_after_scan,slow_answers}_panel_{shown,hidden,absent} \
  press_hung press_slow; do
  prefix=LongestTurn
  [[ $row == press_* ]] && prefix=LongestPressTurn
  name="$prefix/$row"
  echo "# longest turn, ${row//_/ }: processor median $(stall "$name" longest_turn_cpu_ms_median)" \
    "max $(stall "$name" longest_turn_cpu_ms_max) ms; wall median" \
    "$(stall "$name" longest_turn_ms_median) max $(stall "$name" longest_turn_ms_max) ms;" \
    "slowest in iteration $(stall "$name" slowest_iteration)," \
    "published a list: $(stall "$name" slowest_published)"
done
echo "# idle stowbar on QtApplication, no tray: $idle_ms_per_minute ms of processor time and" \
  "$idle_wakes_per_minute wake-ups per minute (over $idle_seconds s)"

scaling() { value "$1" "$2" cpu_time | awk '{ printf "%.1f", $1 / 1e3 }'; }
echo "# scaling, processor time in us per refresh or scan:"
for arguments in 10/5/1 100/5/1 1000/5/1 100/5/10 100/5/100; do
  IFS=/ read -r running hidden each <<<"$arguments"
  echo "#   $running applications, $((hidden * each)) hidden extras: no-change refresh" \
    "$(scaling scaling "BM_ScalingNoChangeRefresh/$arguments"), full refresh" \
    "$(scaling scaling "BM_ScalingFullRefresh/$arguments")"
done
for arguments in 10/1 100/1 1000/1 5/1 5/10 5/100; do
  IFS=/ read -r applications each <<<"$arguments"
  echo "#   scan of $applications applications with $each extras each:" \
    "$(scaling scan_scaling "BM_ScalingFindMenuBarItems/$arguments")"
done
echo "# one listing of shareable windows with 40 hidden extras:" \
  "$(scaling scaling BM_ShareableWindowListing40Extras) us (a capture pass lists 40 times); the" \
  "full refresh they belong to: $(scaling scaling BM_FullRefresh40HiddenExtrasAmong300Applications) us"

verdict poll-tick "$(ratio "$poll" "$poll_floor")" 1.2
verdict no-change-refresh "$(ratio "$refresh" "$refresh_floor")" 1.3
verdict load-snapshot "$(ratio "$snapshot" "$snapshot_floor")" 1.2
verdict find-menu-bar-items "$(ratio "$scan" "$scan_floor")" 1.1
for slowness in hang-before-scan hang-after-scan slow-answers; do
  verdict "longest-turn-$slowness-ms" \
    "$(stall "LongestTurn/${slowness//-/_}_panel_shown" longest_turn_cpu_ms_max)" 1.0
done
verdict longest-turn-press-hung-ms "$(stall LongestPressTurn/press_hung longest_turn_cpu_ms_max)" 1.0
verdict idle-wakeups-per-minute "$idle_wakes_per_minute" 30
