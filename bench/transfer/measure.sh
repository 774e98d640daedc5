#!/usr/bin/env bash
# Measures a read and a write against the paced virtual radio: time from command to completion
# (the timers alone account for 500 + 2000 ms) and CPU used while idle and during a transfer.
# Usage: bench/transfer/measure.sh [BUILD_DIR] [ROUNDS]     (default build/default, 5 rounds)
set -euo pipefail
build="${1:-build/default}"
rounds="${2:-5}"
cli="$build/cli/qarlo-cli"
sim="$build/tools/qarlo-radio-sim"
[[ -x "$cli" && -x "$sim" ]] || { echo "build qarlo-cli and qarlo-radio-sim in $build first" >&2; exit 2; }

work="$(mktemp -d)"
trap 'kill "$simpid" 2>/dev/null; wait "$simpid" 2>/dev/null; rm -rf "$work"' EXIT
"$sim" --quiet --link "$work/radio" > "$work/sim.out" &
simpid=$!
for _ in $(seq 50); do [[ -s "$work/sim.out" ]] && break; sleep 0.05; done

ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; } # utime + stime in clock ticks
hz=$(getconf CLK_TCK)

# One transfer: wall seconds, and the CLI's user+system CPU seconds.
measure() {
    /usr/bin/time -f "%e %U %S" -o "$work/time" "$cli" "$@" > /dev/null
    tail -n 1 "$work/time" | awk '{printf "%.3f %.3f\n", $1, $2 + $3}'
}

echo "rounds: $rounds, virtual radio paced at 2400 baud"
for op in read write; do
    walls=(); cpus=()
    simbefore=$(ticks "$simpid")
    for _ in $(seq "$rounds"); do
        read -r wall cpu < <(measure "$op" "$work/radio.q02" --port "$work/radio")
        walls+=("$wall"); cpus+=("$cpu")
    done
    simafter=$(ticks "$simpid")
    printf '%-5s wall s: %s | qarlo-cli CPU s: %s | radio-sim CPU over all rounds: %.2f s\n' \
        "$op" "${walls[*]}" "${cpus[*]}" "$(echo "($simafter - $simbefore) / $hz" | bc -l)"
done

before=$(ticks "$simpid")
sleep 5
after=$(ticks "$simpid")
echo "radio-sim idle for 5 s: $((after - before)) ticks of CPU (1 tick = 1/$hz s)"

# The link idle between two steps: qarlo-cli waiting 2 s on a radio that never answers a read
# request (the image-read timer), measured the same way.
kill "$simpid"; wait "$simpid" 2>/dev/null || true
"$sim" --quiet --fault no-image --link "$work/radio" > "$work/sim.out" &
simpid=$!
for _ in $(seq 50); do [[ -s "$work/sim.out" ]] && break; sleep 0.05; done
/usr/bin/time -f "%e %U %S" -o "$work/time" "$cli" read "$work/none.q02" --port "$work/radio" 2>/dev/null || true
tail -n 1 "$work/time" | awk '{printf "read against a radio that sends no image: %.3f s wall, %.3f s CPU\n", $1, $2 + $3}'
