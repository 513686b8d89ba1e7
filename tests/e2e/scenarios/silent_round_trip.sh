# setup.exe /S with /D= holding blanks, against the interactive install of
# the same setup.ini: the same files, the same setup log but for the
# directory, the same shortcut, and no window of any kind while it works.
# The /LOG report says each step. Files in folders below the install
# directory, two deep, one made by an earlier file and reused, come with their
# folders, logged before them. The uninstaller's silent mode then removes it
# all: C: is as before.
write_ini <<'INI'
apptitle=E2E Quiet
email=e2e@example.com
installpath=C:\E2E\Quiet\Interactive
exename=app.txt
file=app.txt
file=help\img\logo.gif
file=readme.txt
file=help\index.htm
file=help/img/more.gif
INI
setup_file app.txt "the app"
setup_file readme.txt "read me"
setup_file help/index.htm "<html>help</html>"
setup_file help/img/logo.gif "GIF89a logo"
setup_file help/img/more.gif "GIF89a more"
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
expect_same 'C:\E2E\Quiet\Interactive\help\img\logo.gif' help/img/logo.gif
expect_same 'C:\E2E\Quiet\Interactive\help\index.htm' help/index.htm
expect_same 'C:\E2E\Quiet\Interactive\help\img\more.gif' help/img/more.gif
d='C:\E2E\Quiet\DIR'
grep -E '^Mk(Dir|File)=C:\\E2E\\Quiet\\DIR' "$OUT/interactive.log" >"$OUT/interactive-entries.txt"
expect_lines "$(dos_of_unix "$OUT/interactive-entries.txt")" <<EOF
MkDir=$d
MkFile=$d\uninstal.bat
MkFile=$d\app.txt
MkDir=$d\help
MkDir=$d\help\img
MkFile=$d\help\img\logo.gif
MkFile=$d\readme.txt
MkFile=$d\help\index.htm
MkFile=$d\help\img\more.gif
EOF
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
expect_same "$app\\help\\img\\more.gif" help/img/more.gif
expect_absent 'C:\E2E\Quiet\Interactive'
expect_shortcut "$folder\\E2E Quiet.lnk" "$app\\app.txt" "$app\\" "E2E Quiet"
sed 's/With Blanks  In It/DIR/g' "$log" >"$OUT/silent.log"
cmp -s "$OUT/interactive.log" "$OUT/silent.log" ||
    fail "the silent setup log differs from the interactive one: $(diff "$OUT/interactive.log" "$OUT/silent.log" | tr '\n' ' ')"
expect_lines "$(dos_of_unix "$OUT/report.txt")" <<EOF
setup /s /Log=$report /D=$app
loaded setup.ini: E2E Quiet, 5 files
log C:\\windows\\UnInstal\\E2E Quiet.log
uninstaller placed C:\\windows\\UnInstal\\uninstal.exe $(versioned "$UNINSTAL_EXE" - "")
files 5 to install in $app\\
created $app\\app.txt
created $app\\help\\img\\logo.gif
created $app\\readme.txt
created $app\\help\\index.htm
created $app\\help\\img\\more.gif
shortcut made in $folder
entry HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\SetupLog E2E Quiet.log
exit 0: installed
EOF

play <<SCRIPT
run $(q 'C:\') $(q '"C:\windows\UnInstal\uninstal.exe" /S "UnInstal\E2E Quiet.log"')
quiet-exit 0
settled
SCRIPT
expect_drive_as "$OUT/drive-before.txt"
