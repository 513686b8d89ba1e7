#!/usr/bin/env bash
# The main job: builds setup.exe, packs the sample application
# (examples/sample) with setuppack into one file, and installs it from that
# one file under Wine, in a fresh Wine prefix, then shows what was
# installed, the setup log, the entry in Apps & Features, uninstal.bat with
# the uninstaller it calls, and the shortcut. The prefix holds an earlier
# notes.ini in the Windows directory, which setup replaces (Overwrite) and
# keeps; last, uninstal.exe /S removes the installation and puts it back.
#
#   scripts/run-example.sh             in a window when a display is
#                                      available (you click through the
#                                      wizard), else headless
#   scripts/run-example.sh --headless  always headless: under Xvfb, the
#                                      wizard driver clicks through with the
#                                      defaults and takes screenshots
set -euo pipefail
cd "$(dirname "$0")/.."

headless=0
[ "${1:-}" = "--headless" ] && headless=1
[ -n "${DISPLAY:-}" ] || headless=1

scripts/install-deps.sh
echo "== build setup.exe and uninstal.exe (win64)"
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target setup uninstal notes driver setuppack

build="$PWD/build/win64"
stage="$build/example"            # the setup directory: setup.exe beside the files
rm -rf "$stage"
mkdir -p "$stage"
cp -r examples/sample/setup.ini examples/sample/readme.txt examples/sample/help examples/sample/notes.ini \
    examples/sample/notesdat.dat "$stage/"
# setup.exe copies uninstal.exe from its own directory next to the log.
cp "$build/notes.exe" "$build/setup.exe" "$build/uninstal.exe" "$stage/"

# A fresh Windows each time, so that the log shows a first installation.
export WINEPREFIX="$PWD/build/example-prefix"
export WINEDEBUG=-all
rm -rf "$WINEPREFIX"
echo "== make a Wine prefix in $WINEPREFIX"
tests/wine-run.sh cmd /c exit </dev/null >/dev/null 2>&1

# An earlier notes.ini in the Windows directory, as a user's own settings
# or another release would leave it: setup asks about it, Overwrite replaces
# it, and the uninstaller puts it back as it was, bytes and time.
earlier_ini="$WINEPREFIX/dosdevices/c:/windows/notes.ini"
printf '[Sample Notes]\r\nWindow=maximised\r\n; the user'"'"'s own, from an earlier release\r\n' >"$earlier_ini"
touch -d '2021-03-04 05:06:07' "$earlier_ini"
earlier_state="$(md5sum <"$earlier_ini" | cut -d' ' -f1) $(stat -c '%s bytes, %y' "$earlier_ini")"

dos() { local p="$1"; printf 'Z:%s' "${p//\//\\}"; }

# The setup directory packed into the one file an author ships, which
# installs from itself: started in an empty folder, it needs nothing else.
packed_dir="$build/example-packed"
rm -rf "$packed_dir"
mkdir -p "$packed_dir"
echo "== pack the setup directory into one file: setuppack"
tests/wine-run.sh "$build/setuppack.exe" --stub "$(dos "$build/setup.exe")" \
    -o "$(dos "$packed_dir/Sample Notes Setup.exe")" "$(dos "$stage")" </dev/null | tr -d '\r'
[ -s "$packed_dir/Sample Notes Setup.exe" ] || { echo "setuppack made no package."; exit 1; }
if [ "$headless" -eq 1 ]; then
    shots="$build/example-screenshots"
    mkdir -p "$shots"
    echo "== run Sample Notes Setup.exe (the one file) headless under Xvfb; the driver clicks through"
    xvfb-run -a -s "-screen 0 1024x768x24" tests/wine-run.sh "$build/tests/e2e/driver.exe" \
        --setup "$(dos "$packed_dir/Sample Notes Setup.exe")" --dir "$(dos "$packed_dir")" \
        --script "$(dos "$PWD/tests/e2e/click-through.txt")" --shots "$shots" </dev/null | tr -d '\r'
    echo "   screenshots: $shots"
else
    echo "== run Sample Notes Setup.exe (the one file) in a window: click through the wizard"
    (cd "$packed_dir" && wine explorer /desktop=SetupExample,1024x768 "Sample Notes Setup.exe")
fi

# What Wine keeps as C:.
unix_of() { local p="$1" rest="${1:2}"; printf '%s%s' "$WINEPREFIX/dosdevices/c:" "${rest//\\//}"; }
log="$WINEPREFIX/dosdevices/c:/windows/UnInstal/Sample Notes.log"
if [ ! -f "$log" ]; then
    echo "No setup log: the installation did not run to its end."
    exit 1
fi

echo
echo "== What was installed (every MkDir and MkFile line of the setup log)"
tr -d '\r' <"$log" | sed -n 's/^\(MkDir\|MkFile\)=//p' | while IFS= read -r path; do
    if [ -d "$(unix_of "$path")" ]; then
        printf '  dir   %s\n' "$path"
    else
        printf '  file  %s (%s bytes)\n' "$path" "$(stat -c %s "$(unix_of "$path")" 2>/dev/null || echo missing)"
    fi
done
echo
echo "== The setup log: C:\\windows\\UnInstal\\Sample Notes.log"
tr -d '\r' <"$log"
echo
echo "== uninstal.bat"
tr -d '\r' <"$(unix_of 'C:\Program Files\Sample Notes\uninstal.bat')"
uninstaller="$(unix_of 'C:\windows\UnInstal\uninstal.exe')"
echo
if [ -f "$uninstaller" ]; then
    echo "== The uninstaller it calls: C:\windows\UnInstal\uninstal.exe ($(stat -c %s "$uninstaller") bytes)"
    echo "   remove Sample Notes again: cd \"$(unix_of 'C:\Program Files\Sample Notes')\" && WINEPREFIX=\"$WINEPREFIX\" wine cmd /c uninstal.bat"
else
    echo "== No uninstal.exe next to the log."
fi
key="$(tr -d '\r' <"$log" | sed -n 's/^MkReg=//p' | tail -n 1)"
echo
if [ -n "$key" ]; then
    echo "== The entry in Apps & Features, as Wine's uninstaller lists it (wine uninstaller --list)"
    tests/wine-run.sh uninstaller --list </dev/null 2>/dev/null | tr -d '\r' | grep -F "$key|" || true
    tests/wine-run.sh reg query "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$key" \
        </dev/null 2>/dev/null | tr -d '\r'
    echo "   remove it there: WINEPREFIX=\"$WINEPREFIX\" wine uninstaller --remove \"$key\""
else
    echo "== No entry in Apps & Features."
fi
link="$(tr -d '\r' <"$log" | sed -n 's/^MkFile=\(.*\.lnk\)$/\1/p' | tail -n 1)"
echo
if [ -n "$link" ]; then
    echo "== The shortcut: $link"
    lnkinfo "$(unix_of "$link")" | grep -E 'Local path|Description|Working directory|Relative path|Command line'
else
    echo "== No shortcut was made (Skip on Create Shortcut)."
fi

echo
echo "== The earlier notes.ini, kept while Sample Notes is installed"
tr -d '\r' <"$log" | sed -n 's/^Earlier=/  /p'
kept_dir="$(unix_of 'C:\windows\UnInstal\Sample Notes.log.old')"
ls -l --time-style=+'%Y-%m-%d %H:%M:%S' "$kept_dir" 2>/dev/null | sed -n 's/^/  /;2,$p'
if [ -f "$uninstaller" ]; then
    echo
    echo "== Remove Sample Notes: uninstal.exe /S \"UnInstal\\Sample Notes.log\" (what uninstal.bat runs, silently)"
    status=0
    run_headless=()
    [ "$headless" -eq 1 ] && run_headless=(xvfb-run -a)
    "${run_headless[@]}" tests/wine-run.sh "$uninstaller" /S 'UnInstal\Sample Notes.log' </dev/null || status=$?
    echo "   exit status $status (1: the new file in the system directory is kept, as /S keeps shared files)"
    now_state="$(md5sum <"$earlier_ini" | cut -d' ' -f1) $(stat -c '%s bytes, %y' "$earlier_ini" 2>/dev/null)"
    echo "   C:\windows\notes.ini before setup: $earlier_state"
    echo "   C:\windows\notes.ini now:          $now_state"
    [ "$now_state" = "$earlier_state" ] || { echo "The earlier notes.ini did not come back."; exit 1; }
    echo "   the earlier notes.ini is back, byte for byte, with its time"
    tr -d '\r' <"$earlier_ini" | sed 's/^/   | /'
fi
