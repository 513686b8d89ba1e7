#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when missing,
# and generates the locales under which Wine runs with other code pages:
# Japanese (double-byte 932), German and Russian (OEM unlike ANSI).
set -euo pipefail

# clang with its runtime libraries (libFuzzer, the sanitizers) builds the
# fuzz targets; valgrind runs the unit tests under memcheck; clang-format and
# clang-tidy check the sources; zlib compresses setuppack's packages (Linux
# and mingw-w64 builds); osslsigncode and openssl sign one in the tests;
# python3 runs helpers of the end-to-end tests; time (/usr/bin/time)
# measures the package benchmark's memory.
packages=(cmake ninja-build g++ googletest mingw-w64 wine wine64 fonts-liberation xvfb xauth liblnk-utils imagemagick
          locales zip unzip file clang libclang-rt-dev valgrind clang-format clang-tidy
          zlib1g-dev libz-mingw-w64-dev osslsigncode openssl python3 time)

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -ne 0 ]; then
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Wine takes its code pages from the Unix locale: ja_JP.UTF-8 gives 932 (ANSI
# and OEM alike), de_DE.UTF-8 gives ANSI 1252 with OEM 850 and ru_RU.UTF-8
# ANSI 1251 with OEM 866, where uninstal.bat must be written for cmd.
generate=()
for name in ja_JP de_DE ru_RU; do
    locale -a 2>/dev/null | grep -qix "$name\.utf-\?8" && continue
    if grep -q "^# *$name\.UTF-8 UTF-8" /etc/locale.gen; then
        $sudo sed -i "s/^# *\($name\.UTF-8 UTF-8\)/\1/" /etc/locale.gen
    elif ! grep -q "^$name\.UTF-8 UTF-8" /etc/locale.gen; then
        echo "$name.UTF-8 UTF-8" | $sudo tee -a /etc/locale.gen >/dev/null
    fi
    generate+=("$name.UTF-8")
done
if [ ${#generate[@]} -ne 0 ]; then
    echo "Generating the locales ${generate[*]}"
    $sudo locale-gen >/dev/null
fi
