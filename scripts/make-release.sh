#!/usr/bin/env bash
# Packs the release archive build/release/setup-VERSION.zip for the authors
# of applications: the 32-bit setup.exe, uninstal.exe (when the build makes
# one), setupchk.exe and setuppack.exe, the Linux setupchk and setuppack, the sample setup directory with
# its commented setup.ini, the guide to setup.ini and a read-me. Then checks
# what it packed: the Windows programs are 32-bit and need no DLLs beside
# the system's, the sample passes the checker, and the Linux setuppack packs
# it with the setup.exe beside it.
#
#   scripts/make-release.sh            builds the native and win32 presets first
#   scripts/make-release.sh --no-build packs what they have built (test-all.sh)
set -euo pipefail
cd "$(dirname "$0")/.."

version="$(sed -n 's/^project(setup VERSION \([0-9][0-9.]*\) .*/\1/p' CMakeLists.txt)"
[ -n "$version" ] || { echo "make-release: no version in CMakeLists.txt" >&2; exit 1; }

if [ "${1:-}" != "--no-build" ]; then
    scripts/install-deps.sh
    cmake --preset native >/dev/null && cmake --build --preset native --target setupchk setuppack
    cmake --preset win32 >/dev/null && cmake --build --preset win32
fi

win32=build/win32
# The programs show their version in their properties: the resources take
# it from the header that CMake makes from project(); it must be this one.
for rc in wizard/setup.rc uninstall/uninstal.rc; do
    grep -q 'VALUE "FileVersion", SETUP_VERSION_TEXT' "$rc" ||
        { echo "make-release: $rc does not take the project's version" >&2; exit 1; }
done
if ! grep -q "SETUP_VERSION_TEXT \"$version.0\"" "$win32/generated/setup_version.h"; then
    echo "make-release: the win32 build does not carry version $version" >&2
    exit 1
fi
name="setup-$version"
out=build/release
stage="$out/$name"
rm -rf "$stage" "$out/$name.zip"
mkdir -p "$stage/sample"

cp "$win32/setup.exe" "$win32/setupchk.exe" "$win32/setuppack.exe" "$stage/"
# The uninstaller goes in wherever the build makes one, and must then be there.
uninstaller=""
if grep -q '^ *add_executable(uninstal ' CMakeLists.txt; then
    uninstaller="$win32/uninstal.exe"
    cp "$uninstaller" "$stage/"
fi
cp build/native/setupchk build/native/setuppack "$stage/"
strip "$stage/setupchk" "$stage/setuppack"
cp docs/setup-ini.md "$stage/"
cp examples/sample/notesdat.dat "$win32/notes.exe" "$stage/sample/"
cp -r examples/sample/help "$stage/sample/"
# The sample's text files with CR LF line ends, as Windows editors expect:
# older Notepad shows LF-only lines as one.
for text in setup.ini readme.txt notes.ini help/index.htm; do
    sed 's/\r*$/\r/' "examples/sample/$text" >"$stage/sample/$text"
done

{
    cat <<EOF
setup.exe $version: a small installer for Windows applications

setup.exe      the installer, for 32-bit and 64-bit Windows. Put it into a
               directory with your application's files and a setup.ini that
               describes them (setup-ini.md); the user starts it from there.
EOF
    [ -n "$uninstaller" ] && cat <<'EOF'
uninstal.exe   the uninstaller. Put it beside setup.exe: setup copies it next
               to its setup log, and the installed uninstal.bat runs it.
EOF
    cat <<'EOF'
setupchk.exe   checks a setup.ini the way setup.exe will read it (a console
               program): "setupchk DIR" or "setupchk path\to\setup.ini".
setupchk       the same checker for Linux (x86-64).
setuppack.exe  packs a setup directory into one program that installs from
               itself (a console program): "setuppack -o MyApp-Setup.exe DIR".
               It checks setup.ini as setupchk does, refuses on errors, and
               puts setup.exe (from beside it) in front. Sign the result
               after packing, if you sign.
setuppack      the same packer for Linux (x86-64).
setup-ini.md   the guide to setup.ini: the layout of a setup directory, every
               key and path type, the limits, and what each of setupchk's
               diagnostics means.
sample\        a complete setup directory: Sample Notes with its commented
               setup.ini. "setupchk sample" finds nothing to report; copy
               setup.exe (and uninstal.exe) into it and start setup.exe
               there to install Sample Notes.

setupchk exits with 0 when it finds nothing, 1 for warnings only and 2 for
errors, so that a build can stop before it ships a description that fails.

The command line, for deployment tools and scripts:

setup.exe /S           installs without a window or a question (a file of
                       another version already there is kept); the exit
                       status says how it ended (0 installed, 1 setup.ini or
                       the install directory refused, 2 stopped part-way,
                       3 bad command line, 4 a damaged setup package).
setup.exe /S /REPLACE  the same, but another version already there is
                       replaced: an upgrade.
setup.exe /D=DIR       installs into DIR instead of setup.ini's InstallPath.
setup.exe /LOG=FILE    writes a report with one line per step into FILE.
setup.exe /NOSHORTCUT  makes no shortcut.
uninstal.exe /S "UnInstal\<title>.log"
                       removes an installation without a window (run the
                       uninstal.exe in the Windows directory's UnInstal
                       folder, as Apps & Features does).
"setup.exe /?" shows the options.
EOF
} | sed 's/$/\r/' >"$stage/README.txt"

(cd "$out" && zip -q -r -X "$name.zip" "$name")
echo "== $out/$name.zip"

# ---- check what was packed --------------------------------------------------
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
check_dir="$(mktemp -d)"
trap 'rm -rf "$check_dir"' EXIT
unzip -q "$out/$name.zip" -d "$check_dir"
got="$check_dir/$name"
unzip -l "$out/$name.zip" | sed -n 's/^ *\([0-9]\+\) .*  \(setup-.*[^/]\)$/  \2 (\1 bytes)/p'

expected=(README.txt setup.exe setupchk.exe setupchk setuppack.exe setuppack setup-ini.md sample/setup.ini sample/readme.txt
          sample/notes.ini sample/notesdat.dat sample/notes.exe sample/help/index.htm)
[ -n "$uninstaller" ] && expected+=(uninstal.exe)
for file in "${expected[@]}"; do
    [ -s "$got/$file" ] || fail "$file is not in the archive"
done
# The delivered programs: 32-bit, statically linked, GUI or console as meant.
for exe in setup.exe:2:GUI setupchk.exe:3:console setuppack.exe:3:console sample/notes.exe:2:GUI ${uninstaller:+uninstal.exe:2:GUI}; do
    IFS=: read -r file subsystem kind <<<"$exe"
    headers="$(i686-w64-mingw32-objdump -p -f "$got/$file" 2>/dev/null || true)"
    grep -q 'file format pei-i386' <<<"$headers" || fail "$file is not a 32-bit Windows program"
    grep -q "^Subsystem[[:space:]]*0000000$subsystem" <<<"$headers" || fail "$file is not a $kind program"
    if grep -iE 'DLL Name: (libstdc|libgcc|libwinpthread)' <<<"$headers" >/dev/null; then
        fail "$file needs a runtime DLL"
    fi
done
for linux in setupchk setuppack; do
    file -b "$got/$linux" | grep -q '^ELF 64-bit.*x86-64' || fail "$linux is not a Linux x86-64 program"
    if objdump -p "$got/$linux" | grep -q 'NEEDED.*libstdc++'; then
        fail "$linux needs libstdc++ at run time"
    fi
done
# The guide's complete example is the sample it ships with.
if ! sed -n '/^```ini$/,/^```$/p' "$got/setup-ini.md" | sed '1d;$d' | diff -q - <(tr -d '\r' <"$got/sample/setup.ini") \
    >/dev/null; then
    fail "the example in setup-ini.md is not sample/setup.ini"
fi
# Text for Windows: every line of the read-me and of the sample's texts ends
# in CR LF.
for text in README.txt sample/setup.ini sample/readme.txt sample/notes.ini sample/help/index.htm; do
    if grep -q $'[^\r]$\|^$' "$got/$text"; then
        fail "$text has a line without CR LF"
    fi
done
# The read-me names the command line.
for option in "/S" "/D=" "/LOG=" "/NOSHORTCUT" "uninstal.exe /S"; do
    grep -qF "$option" "$got/README.txt" || fail "README.txt does not mention $option"
done
# The sample passes the checker that ships with it, and nothing is left to say.
if ! report="$("$got/setupchk" --quiet "$got/sample")" || [ -n "$report" ]; then
    fail "the sample does not pass the checker: $report"
fi

# The Linux packer packs the sample with the 32-bit setup.exe beside it.
if ! packed="$("$got/setuppack" -o "$check_dir/sample-setup.exe" "$got/sample")" ||
    ! grep -q '^setuppack: .*: 6 files, ' <<<"$packed" ||
    [ "$(stat -c %s "$check_dir/sample-setup.exe")" -le "$(stat -c %s "$got/setup.exe")" ]; then
    fail "the Linux setuppack does not pack the sample: $packed"
fi

if [ "$failures" -ne 0 ]; then
    echo "release check: $failures failed"
    exit 1
fi
echo "release check: passed"
