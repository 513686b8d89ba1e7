# How silent runs end, each without a window, with the reason in the /LOG
# report: a file of another size kept and reported, /NOSHORTCUT, a missing
# and a refused setup.ini (1), an install directory that cannot be made (2,
# and what was made for it undone),
# an unknown option (3, and no report at all). A user's uninstal.bat and a
# file of the shortcut's name, there before setup, are kept, never logged,
# and still there after the removal. Started from another folder, setup
# reads the setup.ini beside setup.exe.
clean_prefix 'C:\E2E\Outcomes'
clean_programs 'E2E Outcomes'
report="$(dos_of_unix "$OUT/report.txt")"
other_version="error 910: Another version of one of the setup files was found!"

silent() { # ARGUMENTS STATUS
    rm -f "$OUT/report.txt"
    play <<SCRIPT
start $(q "$1")
quiet-exit $2
SCRIPT
}

write_ini <<'INI'
apptitle=E2E Outcomes
installpath=C:\E2E\Outcomes
exename=a.txt
file=a.txt
file=b.txt
INI
setup_file a.txt "a"
setup_file b.txt "the new b"
mkdir -p "$(unix_of_dos 'C:\E2E\Outcomes')"
printf 'old b' >"$(unix_of_dos 'C:\E2E\Outcomes\b.txt')"
silent "/S /NOSHORTCUT /LOG=$report" 0
expect_same 'C:\E2E\Outcomes\a.txt' a.txt
expect_file 'C:\E2E\Outcomes\b.txt' "old b"
expect_absent "$PROGRAMS\\E2E Outcomes"
expect_lines "$report" <<EOF
setup /S /NOSHORTCUT /LOG=$report
loaded setup.ini: E2E Outcomes, 2 files
log C:\\windows\\UnInstal\\E2E Outcomes.log
files 2 to install in C:\\E2E\\Outcomes\\
created C:\\E2E\\Outcomes\\a.txt
skipped C:\\E2E\\Outcomes\\b.txt: $other_version
shortcut none: /NOSHORTCUT
entry none: no uninstal.exe beside the setup log
exit 0: installed
EOF
expect_log "E2E Outcomes" <<'EOF'
AppTitle=E2E Outcomes
EMail=none
MkDir=C:\windows\UnInstal\
MkFile=C:\windows\UnInstal\E2E Outcomes.log
MkFile=C:\E2E\Outcomes\uninstal.bat
MkFile=C:\E2E\Outcomes\a.txt
EOF

# The description missing, then refused: nothing is made, not even a log.
clean_prefix 'C:\E2E\Outcomes'
rm "$SETUP_DIR/setup.ini"
silent "/LOG=$report /S" 1
expect_lines "$report" <<EOF
setup /LOG=$report /S
refused setup.ini: error 51: Failed to open file!
exit 1: setup.ini or the install directory refused
EOF
write_ini <<'INI'
apptitle=E2E Outcomes
installpath=C:\E2E\Outcomes
file=a.txt
file=..\evil.txt
INI
silent "/S /LOG=$report" 1
expect_lines "$report" <<EOF
setup /S /LOG=$report
refused setup.ini at the line 'file=..\\evil.txt': error 911: A setup file name may not have a drive, a leading backslash, a '.' or '..' part, or a part that Windows would change or refuse!
exit 1: setup.ini or the install directory refused
EOF
expect_absent 'C:\E2E\Outcomes'
expect_absent 'C:\windows\UnInstal'

# A directory that cannot be made (a file stands in its way): 2, and the
# log, which names only itself, stays for the uninstaller.
write_ini <<'INI'
apptitle=E2E Outcomes
installpath=C:\E2E\Outcomes
file=a.txt
INI
mkdir -p "$(unix_of_dos 'C:\E2E\Outcomes')"
printf 'in the way' >"$(unix_of_dos 'C:\E2E\Outcomes\file.txt')"
silent "/S /LOG=$report /D=C:\\E2E\\Outcomes\\file.txt\\sub" 2
expect_lines "$report" <<EOF
setup /S /LOG=$report /D=C:\\E2E\\Outcomes\\file.txt\\sub
loaded setup.ini: E2E Outcomes, 1 files
failed install directory C:\\E2E\\Outcomes\\file.txt\\sub\\: error 907: Error attempting to create directory!
undone C:\\windows\\UnInstal\\E2E Outcomes.log
undone C:\\windows\\UnInstal\\
exit 2: the installation stopped part-way
EOF
expect_absent 'C:\windows\UnInstal'

# A line that cannot be used: 3, nothing read, no report, no window.
silent "/S /QUIET /LOG=$report" 3
[ ! -e "$OUT/report.txt" ] || fail "a report was written for a refused command line"
silent "/Bogus /S" 3

# The user's uninstal.bat in the install directory and a file of the
# shortcut's name: both kept as they are and not logged, so that the
# removal leaves them.
clean_prefix 'C:\E2E\Outcomes'
write_ini <<'INI'
apptitle=E2E Outcomes
installpath=C:\E2E\Outcomes
exename=a.txt
file=a.txt
INI
stage_uninstaller
mkdir -p "$(unix_of_dos 'C:\E2E\Outcomes')" "$(unix_of_dos "$PROGRAMS\\E2E Outcomes")"
printf "@echo the user's own\r\n" >"$(unix_of_dos 'C:\E2E\Outcomes\uninstal.bat')"
printf "the user's link" >"$(unix_of_dos "$PROGRAMS\\E2E Outcomes\\E2E Outcomes.lnk")"
silent "/S /LOG=$report" 0
expect_lines "$report" <<EOF
setup /S /LOG=$report
loaded setup.ini: E2E Outcomes, 1 files
log C:\\windows\\UnInstal\\E2E Outcomes.log
uninstaller placed C:\\windows\\UnInstal\\uninstal.exe $(versioned "$UNINSTAL_EXE" - "")
skipped C:\\E2E\\Outcomes\\uninstal.bat: there already and not this installation's, kept
files 1 to install in C:\\E2E\\Outcomes\\
created C:\\E2E\\Outcomes\\a.txt
shortcut none: one of its name in $PROGRAMS\\E2E Outcomes is there already and was kept
entry HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\SetupLog E2E Outcomes.log
exit 0: installed
EOF
expect_log "E2E Outcomes" <<'EOF'
AppTitle=E2E Outcomes
EMail=none
MkDir=C:\windows\UnInstal\
MkFile=C:\windows\UnInstal\E2E Outcomes.log
MkFile=C:\E2E\Outcomes\a.txt
Needs=MkReg
MkReg=SetupLog E2E Outcomes.log
EOF
play <<SCRIPT
run $(q 'C:\') $(q '"C:\windows\UnInstal\uninstal.exe" /S "UnInstal\E2E Outcomes.log"')
quiet-exit 0
settled
SCRIPT
expect_absent 'C:\E2E\Outcomes\a.txt'
expect_file 'C:\E2E\Outcomes\uninstal.bat' "@echo the user's own"$'\r'
expect_file "$PROGRAMS\\E2E Outcomes\\E2E Outcomes.lnk" "the user's link"
clean_programs 'E2E Outcomes'

# Started from another folder that has no setup.ini (a shortcut's "Start
# in"): the one beside setup.exe is read and its files installed from
# there; a relative /LOG= report is made in the folder setup was started in.
clean_prefix 'C:\E2E\Outcomes'
mkdir -p "$OUT/elsewhere"
SETUP_PROGRAM="$SETUP_DIR/setup.exe" SETUP_DIR="$OUT/elsewhere" play <<SCRIPT
start "/S /NOSHORTCUT /LOG=elsewhere.txt"
quiet-exit 0
SCRIPT
expect_file 'C:\E2E\Outcomes\a.txt'
[ -f "$OUT/elsewhere/elsewhere.txt" ] || fail "the relative report was not made in the folder setup was started in"
[ ! -e "$SETUP_DIR/elsewhere.txt" ] || fail "the relative report went beside setup.exe"
clean_prefix 'C:\E2E\Outcomes'
