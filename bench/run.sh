#!/usr/bin/env bash
# The benchmarks: the installation road natively against a bare copy, and
# setup.exe under Wine against `wine cmd /c copy`, for 100 x 4 KiB,
# 100 x 1 MiB and 20 x 50 MiB. Builds what it needs (build/bench for the
# native side, the win64 preset for setup.exe and the wizard driver), then
# prints minimum, median and maximum of each and the ratios.
#   bench/run.sh [--native | --wine] [RUNS]
# RUNS (default 7) counts the runs of each set; the 50 MiB set takes at most
# 3. SETUP_EXE=PATH times another setup.exe under Wine (an older build, say).
# Scratch files (about 1.2 GiB at most) go to build/bench/scratch.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
sides="native wine"
case "${1:-}" in
--native) sides=native; shift ;;
--wine) sides=wine; shift ;;
esac
runs="${1:-7}"
big_runs=$((runs < 3 ? runs : 3))
sets=("100 4 $runs" "100 1024 $runs" "20 51200 $big_runs")
scratch="$root/build/bench/scratch"
mkdir -p "$scratch"

for tool in cmake ninja x86_64-w64-mingw32-g++-posix wine xvfb-run; do
    command -v "$tool" >/dev/null || { "$root/scripts/install-deps.sh" && break; }
done

echo "machine: $(nproc) cores, $(free -g | awk '/^Mem:/ { print $2 }') GiB, $(uname -sr), load $(cut -d' ' -f1-3 /proc/loadavg)"

if [[ " $sides " == *" native "* ]]; then
    cmake -S "$root" -B "$root/build/bench" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
    cmake --build "$root/build/bench" --target road_bench >/dev/null
    for set in "${sets[@]}"; do
        # shellcheck disable=SC2086
        "$root/build/bench/road_bench" $set "$scratch/native"
    done
fi

if [[ " $sides " == *" wine "* ]]; then
    (cd "$root" && cmake --preset win64 >/dev/null && cmake --build --preset win64 --target setup driver >/dev/null)
    export SETUP_EXE="${SETUP_EXE:-$root/build/win64/setup.exe}"
    export DRIVER_EXE="$root/build/win64/tests/e2e/driver.exe" BENCH_DIR="$scratch/wine" SOURCE_DIR="$root"
    echo "wine: $(wine --version 2>/dev/null), setup.exe: $SETUP_EXE"
    for set in "${sets[@]}"; do
        # shellcheck disable=SC2086
        if [ -n "${DISPLAY:-}" ]; then
            bash "$root/bench/wine_bench.sh" $set
        else
            xvfb-run -a -s "-screen 0 1024x768x24" bash "$root/bench/wine_bench.sh" $set
        fi
    done
    rm -rf "$BENCH_DIR/work"
fi
