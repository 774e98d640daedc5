#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test through ctest.
# Usage: scripts/test.sh [PRESET] [extra ctest arguments...]
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-default}"
shift || true
bash scripts/build.sh "$preset"
export QT_QPA_PLATFORM=offscreen
ctest --preset "$preset" "$@"
