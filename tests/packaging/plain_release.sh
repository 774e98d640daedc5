#!/usr/bin/env bash
# A packager's plain Release configuration does not make warnings errors: a compiler's false
# warning must not stop the build. (The developers' presets turn them on.)
# Usage: plain_release.sh SOURCE_DIR GENERATOR
set -euo pipefail
work=$(mktemp -d)
trap 'rm -rf "$work" "$work.log"' EXIT
cmake -S "$1" -B "$work" -G "$2" -DCMAKE_BUILD_TYPE=Release -DQARLO_TESTS=OFF >"$work.log" 2>&1 ||
  { cat "$work.log"; exit 1; }
flags() { grep -rhoE --include=build.ninja --include=flags.make -e "$1" "$work" | head -n1; }
[[ -n $(flags -O3) ]] || { echo "FAIL: not a Release configuration"; exit 1; }
[[ -z $(flags -Werror) ]] || { echo "FAIL: a plain Release build treats warnings as errors"; exit 1; }
echo "plain Release: warnings stay warnings"
