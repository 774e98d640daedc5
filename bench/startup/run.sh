#!/usr/bin/env bash
# Start-up of qarlo (its start-up path built into qarlo-bench-window, which ends once the window is
# painted) against a bare Qt window, offscreen: the time from launching the process to
# its main window painted, and the peak resident memory at that moment, as medians of RUNS runs
# and as ratios to the bare window.
# Usage: bench/startup/run.sh [BUILD_DIR (default build/default)] [RUNS (default 15)]
set -euo pipefail
cd "$(dirname "$0")/../.."
build="${1:-build/default}"
runs="${2:-15}"
cmake --build "$build" --target qarlo-bench-window qarlo-bench-bare-window >/dev/null

export QT_QPA_PLATFORM=offscreen
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# A clean settings folder: no recent files, nothing left behind.
export XDG_CONFIG_HOME="$scratch/config" XDG_DATA_HOME="$scratch/data" XDG_RUNTIME_DIR="$scratch"

# Prints "MEDIAN_MS MEDIAN_RSS_KB" of `runs` launches of the program given.
measure() {
  "$@" >/dev/null 2>&1 || true # warm the page cache
  local times=() sizes=()
  for _ in $(seq "$runs"); do
    local t0 line
    t0=$(date +%s%N)
    line=$("$@" 2>/dev/null | grep '^shown ')
    read -r _ t1 rss <<<"$line"
    times+=("$(( (t1 - t0) / 1000 ))")
    sizes+=("$rss")
  done
  local mid=$(( runs / 2 ))
  local t r
  t=$(printf '%s\n' "${times[@]}" | sort -n | sed -n "$((mid + 1))p")
  r=$(printf '%s\n' "${sizes[@]}" | sort -n | sed -n "$((mid + 1))p")
  awk -v t="$t" -v r="$r" 'BEGIN { printf "%.1f %d\n", t / 1000, r }'
}

read -r bare_ms bare_kb < <(measure "$build/bench/startup/qarlo-bench-bare-window")
read -r qarlo_ms qarlo_kb < <(measure "$build/bench/startup/qarlo-bench-window")
awk -v bm="$bare_ms" -v bk="$bare_kb" -v qm="$qarlo_ms" -v qk="$qarlo_kb" -v n="$runs" 'BEGIN {
  printf "start-up to window shown, offscreen, median of %d runs\n", n
  printf "  %-12s %8s %12s\n", "", "ms", "peak RSS kB"
  printf "  %-12s %8.1f %12d\n", "bare window", bm, bk
  printf "  %-12s %8.1f %12d\n", "qarlo", qm, qk
  printf "  %-12s %8.2f %12.2f\n", "ratio", qm / bm, qk / bk
}'
