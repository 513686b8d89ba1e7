# What a silent run refuses before it makes anything, with the reason in
# the report: a report over a file that setup reads (3, the file kept), a
# device in the install directory or the report (1 or 3), an install
# directory without room for uninstal.bat (1), a device in a file name, and
# a program outside the install directory (1); and the uninstaller given
# a device for its log ends at once (2) instead of reading a port. Then
# setup started from a folder of 257 characters still finds its log
# directory.
clean_prefix 'C:\E2E\Refusals'
clean_programs 'E2E Refusals'
report="$(dos_of_unix "$OUT/report.txt")"
leaves="error 911: A setup file name may not have a drive, a leading backslash, a '.' or '..' part, or a part that Windows would change or refuse!"

silent() { # ARGUMENTS STATUS
    rm -f "$OUT/report.txt"
    play <<SCRIPT
start $(q "$1")
quiet-exit $2
SCRIPT
}

ini='apptitle=E2E Refusals
installpath=C:\E2E\Refusals
exename=a.txt
file=a.txt
file=readme.txt'
printf '%s\n' "$ini" >"$SETUP_DIR/setup.ini"
setup_file a.txt "a"
setup_file readme.txt "read me"
stage_uninstaller

# The report may not be the description, a listed file or the uninstaller,
# however it is spelt; nor a device.
for target in setup.ini README.TXT ".\\Uninstal.exe" "$(dos_of_unix "$SETUP_DIR")\\SETUP.INI" COM1 nul.txt; do
    silent "/S /LOG=$target" 3
    [ "$(cat "$SETUP_DIR/setup.ini")" = "$ini" ] || fail "/LOG=$target changed setup.ini"
    [ "$(cat "$SETUP_DIR/readme.txt")" = "read me" ] || fail "/LOG=$target changed readme.txt"
    cmp -s "$UNINSTAL_EXE" "$SETUP_DIR/uninstal.exe" || fail "/LOG=$target changed uninstal.exe"
    expect_absent 'C:\E2E\Refusals'
    expect_absent 'C:\windows\UnInstal'
done

# A device in the install directory.
silent "/S /LOG=$report /D=C:\\E2E\\Refusals\\NUL\\App" 1
expect_lines "$report" <<END
setup /S /LOG=$report /D=C:\\E2E\\Refusals\\NUL\\App
loaded setup.ini: E2E Refusals, 2 files
refused install directory 'C:\\E2E\\Refusals\\NUL\\App\\': error 912: The install path must be a full path, with a drive letter, a colon and a backslash, and no part that Windows would change or refuse!
exit 1: setup.ini or the install directory refused
END
expect_absent 'C:\E2E\Refusals'

# Started by a shell with a folder name in Cyrillic on a Western system:
# Windows hands setup a "?" for each letter. A trailing dot: Windows would
# drop it.
rm -f "$OUT/report.txt"
play <<SCRIPT
start-utf8 $(q "/S /LOG=$report /D=C:\\E2E\\Refusals\\Акме\\App")
quiet-exit 1
SCRIPT
expect_lines "$report" <<END
setup /S /LOG=$report /D=C:\\E2E\\Refusals\\????\\App
loaded setup.ini: E2E Refusals, 2 files
refused install directory 'C:\\E2E\\Refusals\\????\\App\\', folder name '????': error 918: A folder name of the install path holds a '?', which no name may hold: Windows puts one for each character that this system's ANSI code page cannot hold!
exit 1: setup.ini or the install directory refused
END
expect_absent 'C:\E2E\Refusals'
silent "/S /LOG=$report /D=C:\\E2E\\Refusals\\Acme.\\App" 1
expect_lines "$report" <<END
setup /S /LOG=$report /D=C:\\E2E\\Refusals\\Acme.\\App
loaded setup.ini: E2E Refusals, 2 files
refused install directory 'C:\\E2E\\Refusals\\Acme.\\App\\', folder name 'Acme.': error 919: A folder name of the install path ends in a dot or a blank, which Windows would drop from it!
exit 1: setup.ini or the install directory refused
END
expect_absent 'C:\E2E\Refusals'

# /D= of 247 and 259 characters: no room for uninstal.bat below it.
for length in 247 259; do
    long='C:\E2E\Refusals'
    while [ "${#long}" -lt $((length - 100)) ]; do long="$long\\$(printf 'p%.0s' $(seq 1 99))"; done
    long="$long\\$(printf 'q%.0s' $(seq 1 $((length - ${#long} - 1))))"
    silent "/S /LOG=$report /D=$long" 1
    expect_lines "$report" <<END
setup /S /LOG=$report /D=$long
loaded setup.ini: E2E Refusals, 2 files
refused install directory '$long\': error 914: The install path is too long for the files that setup writes into it!
exit 1: setup.ini or the install directory refused
END
    expect_absent 'C:\E2E\Refusals'
    expect_absent 'C:\windows\UnInstal'
done

# A device as a listed file, and a program outside the install directory.
for line in 'file=aux.txt' 'file=sub\CONOUT$' 'exename=..\windows\system32\cmd.exe'; do
    printf '%s\n%s\n' "$ini" "$line" >"$SETUP_DIR/setup.ini"
    silent "/S /LOG=$report" 1
    expect_lines "$report" <<END
setup /S /LOG=$report
refused setup.ini at the line '$line': $leaves
exit 1: setup.ini or the install directory refused
END
    expect_absent 'C:\E2E\Refusals'
    expect_absent 'C:\windows\UnInstal'
done

# The uninstaller on a serial port: a usage error, at once, no window.
play <<SCRIPT
run $(q 'C:\') $(q "\"$(dos_of_unix "$UNINSTAL_EXE")\" /S COM1")
quiet-exit 2
SCRIPT

# From a setup directory of 257 characters: the log goes into its own
# directory, not into the Windows directory itself.
printf '%s\n' "$ini" >"$SETUP_DIR/setup.ini"
deep="$SETUP_DIR"
while [ "${#deep}" -lt 200 ]; do deep="$deep/0123456789abcdef"; done
deep="$deep/$(printf 'x%.0s' $(seq 1 $((257 - $(dos_of_unix "$deep" | wc -c) - 1))))"
[ "$(dos_of_unix "$deep" | wc -c)" -eq 257 ] || fail "the deep folder is not 257 characters: $(dos_of_unix "$deep")"
mkdir -p "$deep"
cp "$SETUP_DIR/setup.ini" "$SETUP_DIR/a.txt" "$SETUP_DIR/readme.txt" "$deep/"
# The program itself stays where Windows can start it.
SETUP_PROGRAM="$SETUP_DIR/setup.exe"
shallow="$SETUP_DIR"
SETUP_DIR="$deep"
silent "/S /NOSHORTCUT /LOG=$report" 0
SETUP_DIR="$shallow"
unset SETUP_PROGRAM
expect_file 'C:\E2E\Refusals\readme.txt' "read me"
expect_log "E2E Refusals" <<'END'
AppTitle=E2E Refusals
EMail=none
MkDir=C:\windows\UnInstal\
MkFile=C:\windows\UnInstal\E2E Refusals.log
MkDir=C:\E2E\Refusals
MkFile=C:\E2E\Refusals\uninstal.bat
MkFile=C:\E2E\Refusals\a.txt
MkFile=C:\E2E\Refusals\readme.txt
END
clean_prefix 'C:\E2E\Refusals'
