#!/usr/bin/env bash
# The setup package, measured in one run against its yardsticks:
#   size        the package (the program less its stub) against `zip -9` of
#               the same files: the sample, and 100 mixed files (text, PE
#               files, already-compressed data taken from this machine)
#   builder     setuppack's throughput against zip -9's: the mixed set,
#               100 x 1 MiB and one big file
#   install     setup.exe /S from the package against /S from the folder
#               under Wine, 100 x 1 MiB of random bytes, whole process
#   memory      the peak resident size while one big file (BIG_MIB, default
#               1024) is extracted: natively (the package reader alone,
#               bench/unpack_bench.cpp, under /usr/bin/time -v) and under
#               Wine (setup.exe /S, the process's VmHWM), each against the
#               same run on the sample's package
#
#   bench/pack_bench.sh [RUNS]     RUNS (default 7) of each timed figure
#
# Builds what it needs: setuppack and unpack_bench in build/bench (Release),
# setup.exe and notes.exe with the win64 preset. Scratch files (2 to 3 times
# BIG_MIB) go to build/bench/scratch/pack and are removed at the end, but
# for the sources, which are made once.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
runs="${1:-7}"
big_mib="${BIG_MIB:-1024}"
scratch="$root/build/bench/scratch/pack"
mkdir -p "$scratch"

for tool in cmake ninja x86_64-w64-mingw32-g++-posix wine xvfb-run zip; do
    command -v "$tool" >/dev/null || { "$root/scripts/install-deps.sh" && break; }
done
[ -x /usr/bin/time ] || { echo "pack_bench: /usr/bin/time (the time package) is needed" >&2 && exit 1; }

echo "machine: $(nproc) cores, $(free -g | awk '/^Mem:/ { print $2 }') GiB, $(uname -sr), load $(cut -d' ' -f1-3 /proc/loadavg)"
cmake -S "$root" -B "$root/build/bench" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$root/build/bench" --target setuppack unpack_bench >/dev/null
(cd "$root" && cmake --preset win64 >/dev/null && cmake --build --preset win64 --target setup notes uninstal >/dev/null)
pack="$root/build/bench/setuppack"
unpack="$root/build/bench/unpack_bench"
stub="$root/build/win64/setup.exe"

# min, median and max of the numbers on standard input, with a unit.
spread() { # UNIT
    sort -g | awk -v unit="$1" '{ v[NR] = $1 }
        END { med = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
              printf "%.2f / %.2f / %.2f %s (min / median / max of %d)\n", v[1], med, v[NR], unit, NR }'
}
now_ns() { date +%s%N; }

# --- The sets ------------------------------------------------------------
# The sample, as the release archive ships it.
sample="$scratch/src-sample"
rm -rf "$sample" && mkdir -p "$sample/help"
cp "$root"/examples/sample/{setup.ini,readme.txt,notes.ini,notesdat.dat} "$sample/"
cp "$root/examples/sample/help/index.htm" "$sample/help/"
cp "$root/build/win64/notes.exe" "$root/build/win64/uninstal.exe" "$sample/"

# COUNT x SIZE_KIB random bytes, installed to C:\Bench.
random_set() { # DIR COUNT SIZE_KIB
    local dir="$1" i
    [ -f "$dir/done" ] && return
    rm -rf "$dir" && mkdir -p "$dir"
    {
        printf 'AppTitle=Bench\r\nInstallPath=C:\\Bench\r\n'
        for i in $(seq -f '%03g' 1 "$2"); do
            head -c "$(($3 * 1024))" /dev/urandom >"$dir/f$i.bin"
            printf 'File=f%s.bin\r\n' "$i"
        done
    } >"$dir/setup.ini"
    touch "$dir/done"
}
random_set "$scratch/src-100-1024" 100 1024

# 100 mixed files from this machine, 4 KiB to 2 MiB each, the same ones on
# every run: 40 texts (Perl modules), 30 PE files (Wine's DLLs), 30
# compressed ones (gzip files and PNG images, 15 of each). Every n-th of the
# sorted candidates, for a spread of sizes.
mixed="$scratch/src-mixed"
pick() { # COUNT: every n-th line of standard input, COUNT of them
    awk -v want="$1" '{ line[NR] = $0 } END { step = NR / want; for (i = 0; i < want && NR >= want; i++) print line[int(i * step) + 1] }'
}
candidates() { # DIR NAME-PATTERN
    find "$1" -type f -name "$2" -size +4k -size -2048k 2>/dev/null | LC_ALL=C sort
}
rm -rf "$mixed" && mkdir -p "$mixed"
{
    candidates /usr/share/perl '*.pm' | pick 40 | sed 's/$/ txt/'
    candidates /usr/lib/x86_64-linux-gnu/wine '*.dll' | pick 30 | sed 's/$/ dll/'
    candidates /usr/share/doc '*.gz' | pick 15 | sed 's/$/ gz/'
    candidates /usr/share '*.png' | pick 15 | sed 's/$/ png/'
} >"$scratch/mixed-list.txt"
[ "$(wc -l <"$scratch/mixed-list.txt")" -eq 100 ] || { echo "pack_bench: fewer than 100 mixed files found" >&2 && exit 1; }
{
    printf 'AppTitle=Mixed\r\nInstallPath=C:\\Mixed\r\n'
    n=0
    while read -r path ext; do
        n=$((n + 1))
        name="$(printf 'm%03d.%s' "$n" "$ext")"
        cp "$path" "$mixed/$name"
        printf 'File=%s\r\n' "$name"
    done <"$scratch/mixed-list.txt"
} >"$mixed/setup.ini"
cp "$root/build/win64/uninstal.exe" "$mixed/"

# One big file of base64 text (it shrinks by about a quarter, so that the
# extraction inflates).
big="$scratch/src-big"
if [ ! -f "$big/done" ] || [ "$(cat "$big/done")" != "$big_mib" ]; then
    rm -rf "$big" && mkdir -p "$big"
    # (The last head stops base64 early: a broken pipe, not a failure.)
    (set +o pipefail && head -c "$((big_mib * 1024 * 1024 * 3 / 4))" /dev/urandom | base64 -w 76 |
        head -c "$((big_mib * 1024 * 1024))" >"$big/big.txt")
    printf 'AppTitle=Big\r\nInstallPath=C:\\BigBench\r\nFile=big.txt\r\n' >"$big/setup.ini"
    echo "$big_mib" >"$big/done"
fi

# --- Size and the builder ------------------------------------------------
out="$scratch/out"
mkdir -p "$out"
# Packs DIR into OUT; prints the package's bytes (setuppack's "bytes out").
pack_set() { # DIR OUT
    "$pack" --stub "$stub" -o "$2" "$1" | sed -n 's/.* bytes in, \([0-9]*\) bytes out .*/\1/p'
}
# The same files as zip -9 packs them (setup.ini, the listed files, uninstal.exe).
zip_set() { # DIR
    rm -f "$out/set.zip"
    (cd "$1" && find . -type f ! -name 'done' ! -name setup.exe |
        sed 's|^\./||' | LC_ALL=C sort | zip -q -9 -X "$out/set.zip" -@)
    stat -c %s "$out/set.zip"
}
echo
echo "size: the package against zip -9 of the same files (bytes)"
for set in sample mixed 100-1024; do
    dir="$scratch/src-$set"
    in="$(find "$dir" -type f ! -name 'done' -printf '%s\n' | awk '{ s += $1 } END { print s }')"
    p="$(pack_set "$dir" "$out/$set.exe")"
    z="$(zip_set "$dir")"
    awk -v set="$set" -v bytes="$in" -v p="$p" -v z="$z" \
        'BEGIN { printf "  %-9s files %10d  package %10d (%5.1f%%)  zip -9 %10d (%5.1f%%)  package/zip %.3f\n", set, bytes, p, 100 * p / bytes, z, 100 * z / bytes, p / z }'
done

echo
echo "builder: setuppack's throughput against zip -9's (MiB of files read per second, whole process, in turns)"
for set in mixed 100-1024 big; do
    dir="$scratch/src-$set"
    mib="$(find "$dir" -type f ! -name 'done' -printf '%s\n' | awk '{ s += $1 } END { print s / 1048576 }')"
    n="$runs"
    [ "$set" = big ] && n=1
    : >"$out/throughput.txt"
    for _ in $(seq "$n"); do
        t0="$(now_ns)"
        "$pack" --quiet --stub "$stub" -o "$out/$set.exe" "$dir" >/dev/null
        t1="$(now_ns)"
        zip_set "$dir" >/dev/null
        t2="$(now_ns)"
        awk -v mib="$mib" -v p="$((t1 - t0))" -v z="$((t2 - t1))" 'BEGIN { print mib / (p / 1e9), mib / (z / 1e9) }' >>"$out/throughput.txt"
    done
    printf '  %-9s setuppack %s\n' "$set" "$(awk '{ print $1 }' "$out/throughput.txt" | spread MiB/s)"
    printf '  %-9s zip -9    %s\n' "" "$(awk '{ print $2 }' "$out/throughput.txt" | spread MiB/s)"
done

# --- Memory, natively ----------------------------------------------------
echo
echo "memory: peak resident size, extracting natively (unpack_bench under /usr/bin/time -v)"
peak_native() { # PROGRAM
    rm -rf "$out/x" && mkdir -p "$out/x"
    /usr/bin/time -v "$unpack" "$1" "$out/x" 2>"$out/time.txt" >"$out/unpack.txt"
    rm -rf "$out/x"
    echo "$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$out/time.txt") KiB; $(cat "$out/unpack.txt")"
}
echo "  sample    $(peak_native "$out/sample.exe")"
echo "  big       $(peak_native "$out/big.exe")"

# --- Under Wine: install time and memory ---------------------------------
export WINEPREFIX="$scratch/wineprefix" WINEDEBUG=-all
wine_run="$root/tests/wine-run.sh"
# One server for the whole run, so that no run pays for starting it (one
# left running by an earlier run will do as well).
wineserver -p 2>/dev/null || true
"$wine_run" cmd /c exit </dev/null >/dev/null 2>&1 # makes the prefix
c_drive="$WINEPREFIX/dosdevices/c:"
trap 'wineserver -k 2>/dev/null || true; rm -rf "$out"' EXIT

dos() { printf 'Z:%s' "${1//\//\\}"; }
# setup.exe /S in DIR (PROGRAM there: the folder's, or a package in an empty
# folder); fails unless setup ends with 0.
silent() { # DIR PROGRAM
    (cd "$1" && "$wine_run" "$2" /S </dev/null >/dev/null 2>&1) || { echo "pack_bench: $2 /S failed" >&2 && return 1; }
}
clean_bench() { rm -rf "$c_drive/Bench" "$c_drive/BigBench" "$c_drive/Program Files/Sample Notes" "$c_drive/windows/UnInstal"; }

echo
echo "install under Wine: setup.exe /S from the package against /S from the folder, 100 x 1 MiB, whole process"
folder="$scratch/src-100-1024"
cp "$stub" "$folder/setup.exe"
mkdir -p "$out/empty"
cp "$out/100-1024.exe" "$out/empty/packed.exe"
: >"$out/install.txt"
for run in $(seq 0 "$runs"); do # run 0 warms up
    clean_bench
    t0="$(now_ns)"
    silent "$out/empty" packed.exe
    t1="$(now_ns)"
    clean_bench
    silent "$folder" setup.exe
    t2="$(now_ns)"
    [ "$run" -eq 0 ] || echo "$(((t1 - t0) / 1000)) $(((t2 - t1) / 1000))" >>"$out/install.txt"
done
clean_bench
rm -f "$folder/setup.exe"
echo "  package   $(awk '{ print $1 / 1000 }' "$out/install.txt" | spread ms)"
echo "  folder    $(awk '{ print $2 / 1000 }' "$out/install.txt" | spread ms)"
echo "  ratio     $(awk '{ print $1 / $2 }' "$out/install.txt" | spread '')"

echo
echo "memory under Wine: setup.exe /S from a package, the process's peak (VmHWM, read every 50 ms)"
# The largest VmHWM of the processes named PROGRAM-NAME.exe (Wine names a
# process after its program), read until the run ends.
peak_wine() { # PROGRAM-NAME
    local name="$1" peak=0 kib pid
    ln -f "$out/$name.exe" "$out/empty/$name.exe"
    clean_bench
    (cd "$out/empty" && "$wine_run" "$name.exe" /S </dev/null >/dev/null 2>&1) &
    local runner=$!
    while kill -0 "$runner" 2>/dev/null; do
        for pid in $(pgrep -x "$name.exe" || true); do
            [ "$pid" = "$runner" ] && continue
            kib="$(awk '/^VmHWM:/ { print $2 }' "/proc/$pid/status" 2>/dev/null || true)"
            [ -n "$kib" ] && [ "$kib" -gt "$peak" ] && peak="$kib"
        done
        sleep 0.05
    done
    wait "$runner" || { echo "pack_bench: $name.exe /S failed" >&2 && return 1; }
    clean_bench
    rm -f "$out/empty/$name.exe"
    echo "$peak KiB"
}
echo "  sample    $(peak_wine sample)"
echo "  big       $(peak_wine big)"
