# setup.exe /S with /D= holding blanks, against the interactive install of
# the same setup.ini: the same files, the same setup log but for the
# directory, the same shortcut, and no window of any kind while it works.
# The /LOG report says each step. The uninstaller's silent mode then
# removes it all: C: is as before.
write_ini <<'INI'
apptitle=E2E Quiet
email=e2e@example.com
installpath=C:\E2E\Quiet\Interactive
exename=app.txt
file=app.txt
file=readme.txt
INI
setup_file app.txt "the app"
setup_file readme.txt "read me"
stage_uninstaller
clean_prefix 'C:\E2E\Quiet'
clean_programs 'E2E Quiet'
list_drive >"$OUT/drive-before.txt"
folder="$PROGRAMS\\E2E Quiet"

# What a person gets with every default button.
play <<SCRIPT
start
$TO_INSTALLING
$MAKE_SHORTCUT_TO_END
exit 0
SCRIPT
log="$C_DRIVE/windows/UnInstal/E2E Quiet.log"
sed 's/Interactive/DIR/g' "$log" >"$OUT/interactive.log"
expect_shortcut "$folder\\E2E Quiet.lnk" 'C:\E2E\Quiet\Interactive\app.txt' 'C:\E2E\Quiet\Interactive\' "E2E Quiet"
play <<SCRIPT
run $(q 'C:\') $(q '"C:\windows\UnInstal\uninstal.exe" /S "UnInstal\E2E Quiet.log"')
quiet-exit 0
settled
SCRIPT
expect_drive_as "$OUT/drive-before.txt"
# The log directory stays with its uninstal.exe: without it, as at first,
# both logs start alike.
rm -rf "$C_DRIVE/windows/UnInstal"

# The same silently, into a directory with blanks, as the rest of the line.
app='C:\E2E\Quiet\With Blanks  In It'
report="$(dos_of_unix "$OUT/report.txt")"
play <<SCRIPT
start $(q "/s /Log=$report /D=$app")
quiet-exit 0
SCRIPT
expect_same "$app\\app.txt" app.txt
expect_same "$app\\readme.txt" readme.txt
expect_absent 'C:\E2E\Quiet\Interactive'
expect_shortcut "$folder\\E2E Quiet.lnk" "$app\\app.txt" "$app\\" "E2E Quiet"
sed 's/With Blanks  In It/DIR/g' "$log" >"$OUT/silent.log"
cmp -s "$OUT/interactive.log" "$OUT/silent.log" ||
    fail "the silent setup log differs from the interactive one: $(diff "$OUT/interactive.log" "$OUT/silent.log" | tr '\n' ' ')"
expect_lines "$(dos_of_unix "$OUT/report.txt")" <<EOF
setup /s /Log=$report /D=$app
loaded setup.ini: E2E Quiet, 2 files
log C:\\windows\\UnInstal\\E2E Quiet.log
uninstaller placed C:\\windows\\UnInstal\\uninstal.exe $(versioned "$UNINSTAL_EXE" - "")
files 2 to install in $app\\
created $app\\app.txt
created $app\\readme.txt
shortcut made in $folder
exit 0: installed
EOF

play <<SCRIPT
run $(q 'C:\') $(q '"C:\windows\UnInstal\uninstal.exe" /S "UnInstal\E2E Quiet.log"')
quiet-exit 0
settled
SCRIPT
expect_drive_as "$OUT/drive-before.txt"
