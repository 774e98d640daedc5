#!/usr/bin/env bash
# scripts/run.sh sent SIGTERM ends everything it started: the window, the virtual radio, and
# under xvfb-run the X server too. Run offscreen, and under xvfb-run where it is installed.
# Usage: run_script.sh SOURCE_DIR BUILD_DIR
set -uo pipefail
src=$(cd "$1" && pwd)
export QARLO_BUILD_DIR=$(cd "$2" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_RUNTIME_DIR=$work/run
export TMPDIR=$work/tmp
mkdir -m 0700 "$work/run" "$work/tmp"
unset QARLO_COM1 DISPLAY WAYLAND_DISPLAY
failures=0
# The processes carrying this run's mark in their environment, as "pid:name".
started() {
  local file
  for file in $(grep -lsz "^QARLO_RUN_MARK=$1\$" /proc/[0-9]*/environ); do
    file=${file%/environ}
    echo "${file#/proc/}:$(cat "$file/comm" 2>/dev/null)"
  done
}
platforms=(offscreen)
command -v xvfb-run >/dev/null && platforms+=("")
for platform in "${platforms[@]}"; do
  mark=$$-${platform:-xvfb}
  QARLO_RUN_MARK=$mark QT_QPA_PLATFORM=$platform bash "$src/scripts/run.sh" >"$work/out" 2>&1 &
  runner=$!
  for _ in $(seq 300); do
    up=$(started "$mark")
    grep -q ':qarlo$' <<<"$up" && grep -q ':qarlo-radio-sim$' <<<"$up" && break
    kill -0 "$runner" 2>/dev/null || break
    sleep 0.1
  done
  if ! grep -q ':qarlo$' <<<"$up"; then
    echo "FAIL: ${platform:-xvfb}: no window"
    cat "$work/out"
    failures=$((failures + 1))
  fi
  kill -TERM "$runner"
  for _ in $(seq 100); do [[ -z $(started "$mark") ]] && break; sleep 0.1; done
  left=$(started "$mark")
  if [[ -n $left ]]; then
    echo "FAIL: ${platform:-xvfb}: still running after SIGTERM:" $left
    failures=$((failures + 1))
    for p in $left; do kill -KILL "${p%%:*}" 2>/dev/null; done
  fi
  [[ -e $work/run/qarlo.* ]] && { echo "FAIL: the link's folder is left"; failures=$((failures + 1)); }
  [[ -n $(ls -A "$work/tmp") ]] && { echo "FAIL: left in TMPDIR:" $(ls -A "$work/tmp"); failures=$((failures + 1)); }
  wait "$runner" 2>/dev/null
done
echo "$failures failures"
exit $((failures > 0))
