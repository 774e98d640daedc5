#!/usr/bin/env bash
# Installs what is missing, builds Qarlo and starts it. Unless QARLO_COM1 names the radio's port
# (e.g. QARLO_COM1=/dev/ttyUSB0), a virtual radio is started beside it and COM1 points to it, so
# "对讲机读出" works at once: a /dev/ttyS0 that merely exists says nothing about a radio behind it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh default
bin="$PWD/build/default"

if [ -z "${QARLO_COM1:-}" ]; then
  simdir=$(mktemp -d)
  "$bin/tools/qarlo-radio-sim" --link "$simdir/COM1" >"$simdir/sim.out" 2>"$simdir/sim.err" &
  sim=$!
  trap 'kill $sim 2>/dev/null; rm -rf "$simdir"' EXIT
  for _ in $(seq 50); do [ -e "$simdir/COM1" ] && [ -s "$simdir/sim.out" ] && break; sleep 0.1; done
  if [ ! -e "$simdir/COM1" ]; then
    echo "The virtual radio did not start:" >&2
    cat "$simdir/sim.err" >&2
    exit 1
  fi
  export QARLO_COM1="$simdir/COM1"
  echo "COM1 is a virtual radio at $(head -n1 "$simdir/sim.out") (set QARLO_COM1 to use a real port)"
fi

if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display found: starting Qarlo under a virtual X server (xvfb-run)." >&2
  exec_prefix=(xvfb-run -a -s "-screen 0 1600x1200x24")
else
  exec_prefix=()
fi
"${exec_prefix[@]}" "$bin/app/qarlo" "$@"
