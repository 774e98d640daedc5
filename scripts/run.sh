#!/usr/bin/env bash
# Installs what is missing, builds Qarlo and starts it. When COM1 names no usable port (no
# QARLO_COM1 and no working /dev/ttyS0), a virtual radio is started beside it and COM1 points to it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh default
bin="$PWD/build/default"

if [ -z "${QARLO_COM1:-}" ] && ! stty -F /dev/ttyS0 >/dev/null 2>&1; then
  simdir=$(mktemp -d)
  "$bin/tools/qarlo-radio-sim" --link "$simdir/COM1" >"$simdir/sim.out" 2>"$simdir/sim.err" &
  sim=$!
  trap 'kill $sim 2>/dev/null; rm -rf "$simdir"' EXIT
  for _ in $(seq 50); do [ -e "$simdir/COM1" ] && break; sleep 0.1; done
  export QARLO_COM1="$simdir/COM1"
  echo "COM1 is a virtual radio at $(head -n1 "$simdir/sim.out")"
fi

if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display found: starting Qarlo under a virtual X server (xvfb-run)." >&2
  exec_prefix=(xvfb-run -a)
else
  exec_prefix=()
fi
"${exec_prefix[@]}" "$bin/app/qarlo" "$@"
