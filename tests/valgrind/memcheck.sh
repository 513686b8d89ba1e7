#!/bin/sh
# Runs the native unit tests once under valgrind's memcheck and fails on any
# memory error and on any block "definitely" or "indirectly" lost.
#   memcheck.sh UNIT_TESTS OUT_DIR
# The death tests start the program again; valgrind follows them
# (--trace-children), so their children are checked too, and a finding in
# one changes its exit status, which fails its test. Every process reports
# to OUT_DIR/memcheck.<pid>.log rather than to stderr, which the death tests
# compare with what they expect. The shell and lnkinfo that the shortcut
# tests start are not ours and are not followed.
set -u
unit_tests=$1 out=$2
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$out"
mkdir -p "$out" || exit 1

valgrind --tool=memcheck --error-exitcode=99 --leak-check=full \
    --show-leak-kinds=definite,indirect --errors-for-leak-kinds=definite,indirect \
    --trace-children=yes --trace-children-skip='*/sh,*/lnkinfo' --child-silent-after-fork=yes \
    --suppressions="$here/toolchain.supp" --log-file="$out/memcheck.%p.log" \
    "$unit_tests" --gtest_brief=1
rc=$?

processes=$(ls "$out"/memcheck.*.log 2>/dev/null | wc -l)
failed=0
for log in "$out"/memcheck.*.log; do
    [ -e "$log" ] || continue
    if ! grep -q 'ERROR SUMMARY: 0 errors' "$log"; then
        echo "---- $log"
        cat "$log"
        failed=$((failed + 1))
    fi
done
if [ $rc -ne 0 ] || [ $failed -ne 0 ] || [ "$processes" -eq 0 ]; then
    echo "memcheck: FAILED (exit status $rc, $failed of $processes processes with findings; reports in $out)"
    exit 1
fi
echo "memcheck: $processes processes (the unit tests and their death-test children), no error, nothing lost"
