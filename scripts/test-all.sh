#!/usr/bin/env bash
# Builds every preset and runs every test: natively, once more under
# valgrind's memcheck, under the sanitizers, the fuzz targets for a bounded
# time each and, for the x86_64 Windows build, under Wine. Checks the layout
# of the C++ sources against .clang-format and runs the .clang-tidy checks
# over them. Installs what is missing. Last it packs the release archive and
# checks it.
set -uo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh || exit 1

# One Wine prefix for the whole run, made once and reused by every test.
export WINEPREFIX="${WINEPREFIX:-$PWD/build/wineprefix}"
export WINEDEBUG=-all

status=0
for preset in native native-asan fuzz win64 win32; do
    echo "== build $preset"
    { cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset"; } || { echo "build $preset FAILED"; exit 1; }
done

summary=()
passed=0
failed=0

# Our C++ sources: the tracked ones, or what the tree holds outside build/.
sources() {
    if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
        git ls-files -- '*.cpp' '*.h'
    else
        find . -path ./build -prune -o \( -name '*.cpp' -o -name '*.h' \) -print | sed 's|^\./||'
    fi
}

# A check that is not a ctest run: its name, then the command.
check() {
    local name=$1
    shift
    echo "== $name"
    if "$@"; then
        passed=$((passed + 1))
        summary+=("$name: passed")
    else
        failed=$((failed + 1))
        summary+=("$name: FAILED")
        status=1
    fi
}

format_check() {
    sources | xargs -r clang-format --dry-run -Werror
}

# The native build's translation units of our own (GoogleTest's are not ours).
lint_check() {
    python3 -c '
import json
for entry in json.load(open("build/native/compile_commands.json")):
    if "/googletest/" not in entry["file"]:
        print(entry["file"])' | sort -u | xargs -r -P "$(nproc)" -n 4 clang-tidy -p build/native --quiet
}

check "format (clang-format)" format_check
check "lint (clang-tidy)" lint_check
# The delivered 32-bit programs import known DLLs only (win64's: a ctest).
check "import tables (win32)" sh tests/check-imports.sh i686-w64-mingw32-objdump build/win32/setup.exe \
    build/win32/uninstal.exe build/win32/setupchk.exe

for preset in native valgrind native-asan fuzz win64; do
    echo "== test $preset"
    log="build/ctest-$preset.log"
    started=$SECONDS
    if [ "$preset" = win64 ]; then
        xvfb-run -a ctest --preset "$preset" 2>&1 | tee "$log"
    else
        ctest --preset "$preset" 2>&1 | tee "$log"
    fi
    rc=${PIPESTATUS[0]}
    # ctest closes with "N% tests passed, F tests failed out of T".
    line=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -n 1)
    f=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1/' <<<"$line")
    t=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\2/' <<<"$line")
    if [ -n "$line" ]; then
        passed=$((passed + t - f)); failed=$((failed + f))
    elif [ $rc -ne 0 ]; then
        failed=$((failed + 1))
    fi
    summary+=("$preset: $([ $rc -eq 0 ] && echo passed || echo FAILED) ${line:+($line)} in $((SECONDS - started)) s")
    [ $rc -eq 0 ] || status=1
    if [ "$preset" = fuzz ]; then
        # What each target ran; run-fuzzer.sh keeps it beside the corpus.
        for f in build/fuzz/fuzz-work/*/summary.txt; do
            [ -e "$f" ] && summary+=("  $(cat "$f")")
        done
    fi
done

# The release archive, from the native and win32 builds above, and its check.
echo "== release archive"
if scripts/make-release.sh --no-build; then
    summary+=("release: build/release/setup-*.zip packed and checked")
    passed=$((passed + 1))
else
    summary+=("release: FAILED")
    failed=$((failed + 1))
    status=1
fi

echo "== summary"
printf '  %s\n' "${summary[@]}"
echo "  win32: built and linked (not run: no 32-bit code runs here)"
echo "all: $passed passed, $failed failed"
exit $status
