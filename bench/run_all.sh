#!/usr/bin/env bash
# Every benchmark in one run, printed as one table: start-up and peak memory against a bare Qt
# window, a read and a write against the paced virtual radio beside the timers' floor, qarlo-cli
# check and show --json beside --help, and the idle window's wake-ups.
# Builds what it needs in build/bench (RelWithDebInfo). Never run as a test.
# Usage: bench/run_all.sh [STARTUP_RUNS (default 15)] [TRANSFER_ROUNDS (default 5)] [CLI_RUNS (default 31)]
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/bench
startup_runs="${1:-15}"
transfer_rounds="${2:-5}"
cli_runs="${3:-31}"
idle_seconds=10

echo "building in $build ..." >&2
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQARLO_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target qarlo qarlo-bench-window qarlo-bench-bare-window qarlo-cli qarlo-radio-sim >/dev/null

work="$(mktemp -d)"
simpid=""
qarlopid=""
cleanup() {
  [[ -n "$qarlopid" ]] && kill "$qarlopid" 2>/dev/null && wait "$qarlopid" 2>/dev/null
  [[ -n "$simpid" ]] && kill "$simpid" 2>/dev/null && wait "$simpid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
# Nothing of the user's settings (recent files) is read or changed.
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work"
export QT_QPA_PLATFORM=offscreen
cli="$build/cli/qarlo-cli"
sim="$build/tools/qarlo-radio-sim"

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# 1. Start-up and peak memory, each beside the bare window (bench/startup/run.sh).
echo "start-up: $startup_runs launches each ..." >&2
startup="$(bash bench/startup/run.sh "$build" "$startup_runs")"
read -r _ _ bare_ms bare_kb < <(grep 'bare window' <<<"$startup")
read -r _ qarlo_ms qarlo_kb < <(grep -E '^ +qarlo ' <<<"$startup")

# 2. A read and a write against the paced virtual radio (bench/transfer/measure.sh).
echo "transfers: $transfer_rounds reads and writes ..." >&2
transfer="$(bash bench/transfer/measure.sh "$build" "$transfer_rounds")"
wall_median() { grep -E "^$1 +wall s:" <<<"$transfer" | sed 's/.*wall s: \([^|]*\)|.*/\1/' | tr ' ' '\n' | grep . | median; }
read_s="$(wall_median read)"
write_s="$(wall_median write)"

# 3. qarlo-cli on a programmed channel file, read from the (unpaced) virtual radio.
echo "qarlo-cli: $cli_runs runs of each command ..." >&2
"$sim" --quiet --no-pace --link "$work/radio" >"$work/sim.out" &
simpid=$!
for _ in $(seq 100); do [[ -s "$work/sim.out" ]] && break; sleep 0.05; done
"$cli" read "$work/radio.q02" --port "$work/radio" >/dev/null
kill "$simpid"; wait "$simpid" 2>/dev/null || true; simpid=""
# Median wall time in ms of `cli_runs` runs of the command given.
time_ms() {
  "$@" >/dev/null 2>&1 || true # warm the page cache
  for _ in $(seq "$cli_runs"); do
    local t0 t1
    t0=$(date +%s%N)
    "$@" >/dev/null 2>&1 || true
    t1=$(date +%s%N)
    echo $(( (t1 - t0) / 1000 ))
  done | median | awk '{ printf "%.2f", $1 / 1000 }'
}
help_ms="$(time_ms "$cli" --help)"
check_ms="$(time_ms "$cli" check "$work/radio.q02")"
show_ms="$(time_ms "$cli" show --json "$work/radio.q02")"

# 4. The window sitting idle: context switches of all its threads over idle_seconds, after it
# has settled. Every wake-up of a sleeping thread (a timer, a socket, anything) is one
# voluntary switch; involuntary ones are preemptions and counted too.
echo "idle window: ${idle_seconds} s ..." >&2
switches() {
  cat /proc/"$1"/task/*/status 2>/dev/null |
    awk '/^(voluntary|nonvoluntary)_ctxt_switches:/ { n += $2 } END { print n + 0 }'
}
"$build/app/qarlo" "$work/radio.q02" >/dev/null 2>&1 &
qarlopid=$!
sleep 3
threads=$(ls /proc/"$qarlopid"/task | wc -l)
before=$(switches "$qarlopid")
sleep "$idle_seconds"
after=$(switches "$qarlopid")
kill "$qarlopid"; wait "$qarlopid" 2>/dev/null || true; qarlopid=""
wakeups=$(awk -v a="$after" -v b="$before" -v s="$idle_seconds" 'BEGIN { printf "%.1f", (a - b) / s }')

floor_s=2.5
echo
echo "Qarlo benchmarks: $(git rev-parse --short HEAD 2>/dev/null || echo '?'), $build (RelWithDebInfo), offscreen, $(nproc) cores"
awk -v sr="$startup_runs" -v tr="$transfer_rounds" -v cr="$cli_runs" \
    -v bm="$bare_ms" -v bk="$bare_kb" -v qm="$qarlo_ms" -v qk="$qarlo_kb" \
    -v rs="$read_s" -v ws="$write_s" -v fl="$floor_s" \
    -v hm="$help_ms" -v cm="$check_ms" -v sm="$show_ms" \
    -v wk="$wakeups" -v th="$threads" -v is="$idle_seconds" 'BEGIN {
  line = "%-44s %12s   %-30s %7s\n"
  printf line, "measure", "qarlo", "yardstick", "ratio"
  printf line, "start-up to main window shown (median/" sr ")", sprintf("%.1f ms", qm), \
         sprintf("bare Qt 6 window %.1f ms", bm), sprintf("%.2f", qm / bm)
  printf line, "peak memory when shown (median/" sr ")", sprintf("%d kB", qk), \
         sprintf("bare Qt 6 window %d kB", bk), sprintf("%.2f", qk / bk)
  printf line, "read, paced virtual radio (median/" tr ")", sprintf("%.2f s", rs), \
         sprintf("timers'\'' floor %.1f s", fl), sprintf("%.2f", rs / fl)
  printf line, "write, paced virtual radio (median/" tr ")", sprintf("%.2f s", ws), \
         sprintf("timers'\'' floor %.1f s", fl), sprintf("%.2f", ws / fl)
  printf line, "qarlo-cli check (median/" cr ")", sprintf("%.2f ms", cm), \
         sprintf("qarlo-cli --help %.2f ms", hm), sprintf("%.2f", cm / hm)
  printf line, "qarlo-cli show --json (median/" cr ")", sprintf("%.2f ms", sm), \
         sprintf("qarlo-cli --help %.2f ms", hm), sprintf("%.2f", sm / hm)
  printf line, "idle window wake-ups (ctx switches/s, " is " s)", sprintf("%.1f /s", wk), \
         sprintf("%d threads summed", th), "-"
}'
