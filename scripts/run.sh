#!/usr/bin/env bash
# Installs what is missing, builds Qarlo and starts it. Unless QARLO_COM1 names the radio's port
# (e.g. QARLO_COM1=/dev/ttyUSB0), a virtual radio is started beside it and COM1 points to it, so
# "对讲机读出" works at once: a /dev/ttyS0 that merely exists says nothing about a radio behind it.
# QARLO_BUILD_DIR=DIR runs the programs of that build as they are (nothing installed or built).
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -n "${QARLO_BUILD_DIR:-}" ]; then
  bin=$(cd "$QARLO_BUILD_DIR" && pwd)
else
  bash scripts/build.sh default
  bin="$PWD/build/default"
fi

# However this script ends (the window closed, Ctrl-C, SIGTERM, SIGHUP), the window and the
# virtual radio end with it: nothing is left running against a removed link.
app="" sim="" simdir="" xdir=""
stop() {
  trap - TERM INT HUP
  if [ -n "$app" ]; then kill -TERM -- "-$app" "$app" 2>/dev/null || true; fi
  if [ -n "$sim" ]; then kill -TERM "$sim" 2>/dev/null || true; fi
  wait 2>/dev/null || true
  if [ -n "$simdir" ]; then rm -rf "$simdir"; fi
  if [ -n "$xdir" ]; then rm -rf "$xdir"; fi
}
trap stop EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM

if [ -z "${QARLO_COM1:-}" ]; then
  # The link lives in a folder only this user may enter.
  simdir=$(mktemp -d "${XDG_RUNTIME_DIR:-${TMPDIR:-/tmp}}/qarlo.XXXXXX")
  "$bin/tools/qarlo-radio-sim" --link "$simdir/COM1" >"$simdir/sim.out" 2>"$simdir/sim.err" &
  sim=$!
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
  # xvfb-run leaves its folder behind when a signal ends it: it makes it in one of ours, and
  # the window gets the TMPDIR it would have had.
  xdir=$(mktemp -d "${TMPDIR:-/tmp}/qarlo-xvfb.XXXXXX")
  if [ -n "${TMPDIR+set}" ]; then restore=(TMPDIR="$TMPDIR"); else restore=(-u TMPDIR); fi
  exec_prefix=(env TMPDIR="$xdir" xvfb-run -a -s "-screen 0 1600x1200x24" env "${restore[@]}")
else
  exec_prefix=()
fi
# The window in a process group of its own, so a signal to this script reaches xvfb-run and its
# X server too; the script waits for it and passes on its exit status.
setsid "${exec_prefix[@]}" "$bin/app/qarlo" "$@" &
app=$!
status=0
wait "$app" || status=$?
app=""
exit "$status"
