#!/usr/bin/env bash
# Runs the window-fit tests of app_tests on a real X server (Xvfb) under a real window manager
# (openbox) that keeps PANEL px at the bottom of the screen for a panel, as a laptop's desktop does.
# Usage: under_window_manager.sh APP_TESTS WIDTHxHEIGHT SCALE PANEL
set -uo pipefail
tests=$1 size=$2 scale=$3 panel=$4
for tool in xvfb-run openbox xprop; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (scripts/setup.sh installs it)"; exit 1; }
done
if ! xvfb-run -a -s "-screen 0 ${size}x24" true; then
  echo "SKIPPED LOUDLY: no X server can start here, the window's fit is untested"
  exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Openbox's margins reserve the area as a panel's strut does: _NET_WORKAREA leaves it out.
sed "s|<bottom>0</bottom>|<bottom>${panel}</bottom>|" /etc/xdg/openbox/rc.xml >"$work/rc.xml"
grep -q "<bottom>${panel}</bottom>" "$work/rc.xml" || { echo "FAIL: openbox's rc.xml has no margins"; exit 1; }
export QARLO_FIT_PANEL=$panel QT_SCALE_FACTOR=$scale QT_QPA_PLATFORM=xcb
exec xvfb-run -a -s "-screen 0 ${size}x24" bash -c '
  openbox --config-file "$1" >/dev/null 2>&1 &
  wm=$!
  for _ in $(seq 100); do
    xprop -root _NET_WORKAREA 2>/dev/null | grep -q "= 0, 0" && break
    sleep 0.1
  done
  # A loaded machine may frame the window late once; a second run on a settled screen decides.
  "$2" --gtest_filter="UnderWindowManager*" || "$2" --gtest_filter="UnderWindowManager*"
  status=$?
  kill "$wm"
  exit "$status"' _ "$work/rc.xml" "$tests"
