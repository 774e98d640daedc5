#!/usr/bin/env bash
# qarlo-cli's bash completion, sourced alone (no bash-completion framework needed): each row is
# the words typed, the word being completed, and the sorted answers expected.
# Usage: completion.sh BUILD_DIR COMPLETION_FILE
set -uo pipefail
export PATH="$(cd "$1" && pwd)/cli:$PATH"
source "$2"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" && touch a.q02 b.csv notes.txt && mkdir sub
failures=0
while IFS='|' read -r typed word expected; do
  COMP_WORDS=($typed "$word")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  _qarlo_cli
  got=$(printf '%s\n' "${COMPREPLY[@]}" | sort | paste -sd " ")
  [[ $got == "$expected" ]] || { echo "FAIL: '$typed $word': got '$got', expected '$expected'"; failures=$((failures + 1)); }
done <<'ROWS'
qarlo-cli|sh|show
qarlo-cli|--v|--version
qarlo-cli show|--|--help --json --version
qarlo-cli new|--f|--force
qarlo-cli read a.q02|--|--help --port --quiet --trace --version
qarlo-cli write a.q02|--v|--verify --version
qarlo-cli verify a.q02|--|--help --json --port --quiet --trace --version
qarlo-cli diff a.q02||a.q02 sub
qarlo-cli diff a.q02 a.q02||
qarlo-cli read a.q02 --port|CO|COM1 COM2
qarlo-cli write --port|COM2|COM2
qarlo-cli write --port COM2||a.q02 sub
qarlo-cli show||a.q02 sub
qarlo-cli show a.q02||
qarlo-cli show --||a.q02 sub
qarlo-cli show -- --json||
qarlo-cli check|s|sub
qarlo-cli import||b.csv sub
qarlo-cli import b.csv||a.q02 sub
qarlo-cli import - a.q02||
qarlo-cli export a.q02 -o||b.csv sub
qarlo-cli set a.q02 --channel 2 --bandwidth|1|12.5
qarlo-cli set --tot 2.5 --squelch 3||a.q02 sub
qarlo-cli export|-|--help --version -o
ROWS
echo "$failures failures"
exit $((failures > 0))
