#!/usr/bin/env bash
# Runs setupchk itself on the table of cases (tests/checker/cases) and on
# examples/broken, and compares its output and exit status with what each
# case expects; then its command line: several descriptions, the options.
#   run-cases.sh SETUPCHK [RUNNER...]
# RUNNER (tests/wine-run.sh for setupchk.exe) is put in front of SETUPCHK.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
source_dir="$(cd "$here/../.." && pwd)"
setupchk="$1"
shift
runner=("$@")
failures=0

output="$(mktemp)"
trap 'rm -f "$output"' EXIT

# Runs setupchk with args from directory DIR; sets out (without CRs) and
# status. Through a file, not a pipe: the wineserver that Wine leaves
# running would hold a pipe open for seconds.
run() { # DIR ARGS...
    local dir="$1"
    shift
    (cd "$dir" && "${runner[@]}" "$setupchk" "$@" </dev/null >"$output" 2>&1)
    status=$?
    out="$(tr -d '\r' <"$output")"
}
check() { # WHAT EXPECTED_STATUS EXPECTED_OUTPUT
    if [ "$status" != "$2" ] || [ "$out" != "$3" ]; then
        echo "FAIL: $1: exit $status, expected $2"
        diff <(printf '%s\n' "$3") <(printf '%s\n' "$out") | head -n 20
        failures=$((failures + 1))
    fi
}
expected_of() { # FILE: sets want_status and want_output
    want_status="$(head -n 1 "$1" | sed 's/^exit //')"
    want_output="$(tail -n +2 "$1")"
}

cases=0
for dir in "$here"/cases/*/; do
    name="$(basename "$dir")"
    expected_of "$dir/expected.txt"
    run "$here/cases" "$name"
    check "$name" "$want_status" "$want_output"
    cases=$((cases + 1))
done
expected_of "$here/broken.expected"
run "$source_dir" examples/broken
check "examples/broken" "$want_status" "$want_output"

# Several descriptions: each checked in turn, the worst status wins.
cd "$here/cases"
expected_of clean/expected.txt; clean="$want_output"
expected_of line_rules/expected.txt; rules="$want_output"
expected_of refused/expected.txt; refused="$want_output"
run . clean line_rules
check "clean and line_rules" 1 "$clean"$'\n'"$rules"
run . refused clean
check "refused and clean" 2 "$refused"$'\n'"$clean"
run . --quiet clean line_rules
check "--quiet" 1 "$(grep -E ': (warning|error): ' <<<"$rules")"
run . clean -q
check "-q after a description" 0 ""
# No argument: setup.ini of the current directory.
run clean
check "no argument" 0 "${clean//clean\//}"

run . --help
if [ "$status" != 0 ] || ! grep -q '^Usage: setupchk \[--quiet\] \[DIR | FILE\]\.\.\.' <<<"$out"; then
    echo "FAIL: --help: exit $status"
    failures=$((failures + 1))
fi
run . --frobnicate clean
if [ "$status" != 2 ] || ! grep -q 'unknown option "--frobnicate"' <<<"$out"; then
    echo "FAIL: an unknown option: exit $status: $out"
    failures=$((failures + 1))
fi

echo "$cases cases and the command line: $failures failed"
[ "$failures" -eq 0 ]
