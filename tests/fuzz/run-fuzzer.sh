#!/bin/sh
# Runs one fuzz target for a bounded time and fails on any finding.
#   run-fuzzer.sh FUZZER SEED_DIR WORK_DIR SECONDS MAX_LEN [DICTIONARY]
# The target reads its committed seeds and the working corpus in WORK_DIR
# (new inputs go there, so a later run starts where this one stopped); a
# crash, sanitizer report, leak, hang or failed check is kept in
# WORK_DIR/findings/. Paths are made absolute: the targets change their
# current directory.
set -u
abs() { case "$1" in /*) echo "$1" ;; *) echo "$PWD/$1" ;; esac; }
fuzzer=$(abs "$1") seeds=$(abs "$2") work=$(abs "$3") seconds=$4 max_len=$5 dict=${6:-}
name=$(basename "$fuzzer")
mkdir -p "$work/corpus" "$work/findings" || exit 1
log="$work/last-run.log"
rm -f "$work/summary.txt"
# The scratch drives, in memory where possible; a finding leaves its drive
# behind, so the whole folder goes afterwards.
scratch=$(mktemp -d /dev/shm/setup-fuzz-run.XXXXXX 2>/dev/null || mktemp -d) || exit 1
trap 'rm -rf "$scratch"' EXIT
export FUZZ_SCRATCH="$scratch"

set -- -max_total_time="$seconds" -max_len="$max_len" -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$work/findings/"
[ -n "$dict" ] && set -- "$@" -dict="$(abs "$dict")"
"$fuzzer" "$@" "$work/corpus" "$seeds" >"$log" 2>&1
rc=$?

runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
if [ $rc -ne 0 ] || [ -z "$runs" ]; then
    tail -n 80 "$log"
    echo "$name: FINDING (exit status $rc); the input is in $work/findings/, the whole output in $log" |
        tee "$work/summary.txt"
    exit 1
fi
echo "$name: $runs inputs in $seconds s, no finding ($(ls "$seeds" | wc -l) seeds, corpus now $(ls "$work/corpus" | wc -l))" |
    tee "$work/summary.txt"
