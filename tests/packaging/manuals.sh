#!/usr/bin/env bash
# Each program's manual renders without warnings and names every command and option its --help
# offers; each program, and each qarlo-cli command, answers --version with the project's version.
# Usage: manuals.sh BUILD_DIR MAN_DIR VERSION
set -uo pipefail
build=$1 mandir=$2 version=$3
command -v man >/dev/null || { echo "skipped: man (man-db) is not installed"; exit 77; }
export LC_ALL=C.UTF-8
failures=0
bad() { echo "FAIL: $*"; failures=$((failures + 1)); }
# The options a usage text offers: -x and --word after a blank, a bracket or a comma.
options() { grep -oE -- '(^|[][ ,])--?[a-z][a-z-]*' | tr -d '][ ,' | sort -u; }

for program in app/qarlo cli/qarlo-cli tools/qarlo-radio-sim; do
  name=${program#*/} page=$mandir/${program#*/}.1
  warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
  [[ -z $warnings ]] || bad "$name.1 warns: $warnings"
  text=$(MANWIDTH=1000 man -l "$page" 2>/dev/null)
  [[ $("$build/$program" --version) == "$name $version" ]] || bad "$name --version"
  for option in $("$build/$program" --help | options); do
    grep -qE -- "(^|[^a-z-])$option([^a-z-]|$)" <<<"$text" || bad "$name.1 lacks $option"
  done
done

cli=$build/cli/qarlo-cli
text=$(MANWIDTH=1000 man -l "$mandir/qarlo-cli.1" 2>/dev/null)
for command in $("$cli" --help | sed -n '/^commands:/,/^$/s/^  \([a-z]\+\) .*/\1/p'); do
  grep -qE "^ {7}$command( |$)" <<<"$text" || bad "qarlo-cli.1 lists no command $command"
  [[ $("$cli" "$command" --version) == "qarlo-cli $version" ]] || bad "qarlo-cli $command --version"
  for option in $("$cli" "$command" --help | options); do
    grep -qE -- "(^|[^a-z-])$option([^a-z-]|$)" <<<"$text" || bad "qarlo-cli.1 lacks $command $option"
  done
done
for section in PORTS ENVIRONMENT "EXIT STATUS" QARLO_COM1 QARLO_COM2 COM1 COM2; do
  grep -q "$section" <<<"$text" || bad "qarlo-cli.1 lacks $section"
done
echo "$failures failures"
exit $((failures > 0))
