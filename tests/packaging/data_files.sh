#!/usr/bin/env bash
# The files the package hands to the desktop and to udev: the desktop entry and the AppStream
# metadata validate, the mime database built from our definition maps *.q02 to the type the
# desktop entry opens, and the udev rule is valid and covers every cable chip.
# Usage: data_files.sh SOURCE_DIR
set -uo pipefail
src=$1
for tool in desktop-file-validate appstreamcli update-mime-database udevadm; do
  command -v $tool >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
failures=0
bad() { echo "FAIL: $*"; failures=$((failures + 1)); }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

desktop=$src/resources/qarlo.desktop
desktop-file-validate "$desktop" | grep -v ': hint: ' && bad "qarlo.desktop does not validate"
appstreamcli validate --no-net "$src"/packaging/*.metainfo.xml >"$work/as" 2>&1 ||
  bad "metainfo: $(cat "$work/as")"

mkdir -p "$work/mime/packages" && cp "$src/packaging/qarlo.xml" "$work/mime/packages/"
XDG_DATA_DIRS=$work update-mime-database "$work/mime" 2>&1 | grep . && bad "update-mime-database complains"
type=$(awk -F: '$3 == "*.q02" { print $2 }' "$work/mime/globs2")
[[ -n $type ]] || bad "no mime type for *.q02"
grep -qx "MimeType=$type;" "$desktop" || bad "qarlo.desktop does not open $type"
[[ -f $work/mime/${type}.xml ]] || bad "no definition of $type"

rules=$src/packaging/60-qarlo.rules
# udev's own parser: its verify command, else its test command in a private mount namespace
# that shows it only our rule; else a check of the syntax it accepts.
in_namespace() { if ((EUID == 0)); then unshare -m "$@"; else unshare -rm "$@"; fi; }
if udevadm verify --help >/dev/null 2>&1; then
  udevadm verify --resolve-names=never "$rules" || bad "udevadm verify"
elif in_namespace true 2>/dev/null && [[ -d /etc/udev/rules.d && -e /sys/class/tty/console ]]; then
  mkdir "$work/rules.d" && cp "$rules" "$work/rules.d/"
  in_namespace sh -c 'mount --bind "$1" /etc/udev/rules.d &&
    udevadm test --action=add /sys/class/tty/console' sh "$work/rules.d" >"$work/udev" 2>&1
  grep -q "^Reading rules file: /etc/udev/rules.d/60-qarlo.rules" "$work/udev" ||
    bad "udevadm test did not read the rule"
  grep "60-qarlo.rules:[0-9]" "$work/udev" && bad "udev rejects the rule"
else
  # What udev's parser rejects: a token that is not KEY[{ATTR}]OP"VALUE", a match key used to
  # assign, an assignment key used to match, a GOTO without its LABEL.
  awk '
    function fail(why) { print "FAIL: 60-qarlo.rules:" NR ": " why; failed = 1 }
    /^[ \t]*(#|$)/ { next }
    {
      line = $0
      while (line != "") {
        if (!match(line, /^[A-Z_]+(\{[A-Za-z0-9_.-]+\})?(==|!=|\+=|-=|:=|=)"([^"\\]|\\.)*"/)) {
          fail("bad token at: " line); break
        }
        token = substr(line, 1, RLENGTH); line = substr(line, RLENGTH + 1)
        key = token; sub(/[{=!+:"-].*/, "", key)
        op = token; sub(/^[A-Z_]+(\{[^}]*\})?/, "", op); sub(/".*/, "", op)
        matching = op == "==" || op == "!="
        if (matching && key !~ /^(ACTION|DEVPATH|KERNELS?|NAME|SYMLINK|SUBSYSTEMS?|DRIVERS?|ATTRS?|SYSCTL|ENV|CONST|TAGS?|TEST|PROGRAM|RESULT)$/)
          fail(key " cannot be matched")
        if (!matching && key !~ /^(NAME|SYMLINK|OWNER|GROUP|MODE|SECLABEL|ATTR|SYSCTL|ENV|TAG|RUN|LABEL|GOTO|IMPORT|OPTIONS)$/)
          fail(key " cannot be assigned")
        if (key == "GOTO") gotos[token] = NR
        if (key == "LABEL") { t = token; sub(/^LABEL/, "GOTO", t); labels[t] = 1 }
        if (line != "" && !sub(/^, */, "", line)) { fail("no comma before: " line); break }
      }
    }
    END {
      for (g in gotos) if (!(g in labels)) { NR = gotos[g]; fail(g " has no LABEL") }
      exit failed
    }' "$rules" || failures=$((failures + 1))
fi
# Every cable: ModemManager kept off, and the device given to the person at the desk.
for chip in 1a86:7523 067b:2303 10c4:ea60 0403:6001 0403:6015; do
  grep -E "ATTRS\{idVendor\}==\"${chip%:*}\", *ATTRS\{idProduct\}==\"${chip#*:}\"" "$rules" |
    grep 'ENV{ID_MM_DEVICE_IGNORE}="1"' | grep -q 'TAG+="uaccess"' || bad "no rule for $chip"
done
echo "$failures failures"
exit $((failures > 0))
