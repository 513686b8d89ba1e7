#!/bin/sh
# Reads the shortcut that the Wine run of the unit tests made with the real
# shell link object, using lnkinfo, and compares its target, description and
# working directory with what the test asked for (expect.txt beside it).
# Usage: check-wine-shortcut.sh <folder the test wrote into>
set -u
dir=${1:?folder}
expect="$dir/expect.txt"
command -v lnkinfo >/dev/null 2>&1 || { echo "lnkinfo not found: install liblnk-utils"; exit 1; }
[ -f "$expect" ] || { echo "$expect missing: the Wine test did not get to its shortcut"; exit 1; }

value() { sed -n "s/^$1=//p" "$expect"; }
link="$dir/$(value link)"
[ -f "$link" ] || { echo "no shortcut at $link"; exit 1; }
info=$(lnkinfo "$link") || { echo "lnkinfo cannot read $link"; exit 1; }
printf '%s\n' "$info"

# A field of lnkinfo's output: "<tab><label><tabs>: <value>".
field() { printf '%s\n' "$info" | sed -n "s/^	$1	*: //p" | head -n 1; }

status=0
check() {
    got=$(field "$1")
    if [ "$got" != "$2" ]; then
        printf "FAIL: %s is '%s', expected '%s'\n" "$1" "$got" "$2"
        status=1
    else
        printf 'ok: %s = %s\n' "$1" "$got"
    fi
}
check "Local path" "$(value target)"
check "Description" "$(value description)"
check "Working directory" "$(value workdir)"
exit $status
