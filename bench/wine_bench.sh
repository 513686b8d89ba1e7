#!/usr/bin/env bash
# setup.exe under Wine against `wine cmd /c copy` of the same files, taking
# turns (setup, copy, setup, copy ...) after one pair that is not counted.
#   wine_bench.sh COUNT SIZE_KIB RUNS
# Environment: SETUP_EXE, DRIVER_EXE (the e2e driver clicks through the
# wizard), BENCH_DIR (scratch: sources and the Wine prefix), SOURCE_DIR.
#
# Each figure is the Installing phase alone, read from the change times of
# the files written: for setup from "uninstal.bat" to the last listed file,
# for the copy from the first file written to the last.
set -euo pipefail

count="$1" size_kib="$2" runs="$3"
export WINEPREFIX="$BENCH_DIR/wineprefix" WINEDEBUG=-all
wine_run="$SOURCE_DIR/tests/wine-run.sh"
src="$BENCH_DIR/src-$count-$size_kib"
work="$BENCH_DIR/work"
mkdir -p "$work"

dos() { printf 'Z:%s' "${1//\//\\}"; }
# Change time of a file in nanoseconds.
ctime_ns() { stat -c '%.9Z' "$1" | tr -d .; }

# The setup directory: setup.exe, setup.ini and the files (made once).
if [ ! -f "$src/done" ]; then
    rm -rf "$src"
    mkdir -p "$src"
    {
        printf 'AppTitle=Bench\r\nInstallPath=C:\\Bench\r\n'
        for i in $(seq -f '%03g' 1 "$count"); do
            head -c "$((size_kib * 1024))" /dev/urandom >"$src/f$i.bin"
            printf 'File=f%s.bin\r\n' "$i"
        done
    } >"$src/setup.ini"
    touch "$src/done"
fi
cp "$SETUP_EXE" "$src/setup.exe"

# shellcheck source=tests/e2e/wizard_paths.sh
. "$SOURCE_DIR/tests/e2e/wizard_paths.sh"
cat >"$work/script.txt" <<EOF
start
$TO_INSTALLING
$SKIP_SHORTCUT_TO_END
exit 0
EOF

"$wine_run" "$DRIVER_EXE" --folders >/dev/null 2>&1 </dev/null # makes the prefix
c_drive="$WINEPREFIX/dosdevices/c:"
last="$(printf 'f%03d.bin' "$count")"

# Milliseconds of one installation by setup.exe into C:\Bench.
time_setup() {
    rm -rf "$c_drive/Bench" "$c_drive/windows/UnInstal"
    if ! "$wine_run" "$DRIVER_EXE" --setup "$(dos "$src/setup.exe")" --dir "$(dos "$src")" \
        --script "$(dos "$work/script.txt")" </dev/null >"$work/driver.log" 2>&1; then
        echo "wine_bench: the driver failed:" >&2
        tail -n 20 "$work/driver.log" >&2
        return 1
    fi
    local from to
    from="$(ctime_ns "$c_drive/Bench/uninstal.bat")"
    to="$(ctime_ns "$c_drive/Bench/$last")"
    echo $(((to - from) / 1000))
}

# Milliseconds of the same files copied by cmd into C:\Copy.
time_copy() {
    rm -rf "$c_drive/Copy"
    mkdir -p "$c_drive/Copy"
    "$wine_run" cmd /c copy /b "$(dos "$src")\\f*.bin" "C:\\Copy\\" </dev/null >"$work/copy.log" 2>&1
    local n
    n="$(find "$c_drive/Copy" -type f | wc -l)"
    if [ "$n" -ne "$count" ]; then
        echo "wine_bench: cmd copied $n files of $count" >&2
        return 1
    fi
    # Seconds with their fraction: a double keeps them to the microsecond.
    find "$c_drive/Copy" -type f -printf '%C@\n' |
        awk 'NR == 1 || $1 < lo { lo = $1 } NR == 1 || $1 > hi { hi = $1 } END { printf "%d\n", (hi - lo) * 1e6 }'
}

samples="$work/samples-$count-$size_kib.txt"
: >"$samples"
for run in $(seq 0 "$runs"); do # run 0 warms up
    s="$(time_setup)"
    c="$(time_copy)"
    [ "$run" -eq 0 ] || echo "$s $c" >>"$samples"
done
rm -rf "$c_drive/Bench" "$c_drive/Copy" "$c_drive/windows/UnInstal"

# Microseconds in; min, median and max in milliseconds out.
awk -v count="$count" -v kib="$size_kib" -v runs="$runs" '
function row(name, v, n, unit,    i, j, t, med) {
    for (i = 2; i <= n; i++) for (j = i; j > 1 && v[j - 1] > v[j]; j--) { t = v[j]; v[j] = v[j - 1]; v[j - 1] = t }
    med = n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
    printf "  %-10s min %9.2f  median %9.2f  max %9.2f %s\n", name, v[1], med, v[n], unit
}
{ s[NR] = $1 / 1000; c[NR] = $2 / 1000; r[NR] = $2 > 0 ? $1 / $2 : 0 }
END {
    printf "wine: %d x %d KiB, %d runs each after one warm-up pair\n", count, kib, runs
    row("setup.exe", s, NR, "ms"); row("cmd copy", c, NR, "ms"); row("setup/copy", r, NR, "")
}' "$samples"
