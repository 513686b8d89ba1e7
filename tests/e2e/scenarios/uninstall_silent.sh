# Silent removal, with the log name exactly as uninstal.bat passes it (its
# last line, with /S after the program, run by cmd in the install folder):
# no window, no box, and the safe answers, so the file in the Windows
# directory stays (exit 1) and the rewritten log names only that file; the
# folder that cmd held goes once cmd has ended. Then the quoted form of the
# name, interactive, removes that file too, and C: is as before setup.
write_ini <<'INI'
apptitle=E2E Silent
email=e2e@example.com
installpath=C:\E2E\Silent\App
file=app.txt
file=data.txt
file=e2e-silent.ini,windows_path
INI
setup_file app.txt "the app"
setup_file data.txt "its data"
setup_file e2e-silent.ini "its settings"
stage_uninstaller
clean_prefix 'C:\E2E\Silent' 'C:\windows\e2e-silent.ini'
clean_programs 'E2E Silent'
list_drive >"$OUT/drive-before.txt"

play <<SCRIPT
start
$TO_INSTALLING
$MAKE_SHORTCUT_TO_END
exit 0
SCRIPT

# The batch file's last line, with /S after the program (quoted or not).
line="$(tr -d '\r' <"$(unix_of_dos 'C:\E2E\Silent\App\uninstal.bat')" | sed -n 3p)"
silent="$(sed -E 's/^("[^"]*"|[^ ]*) (.*)$/\1 \/S \2/' <<<"$line")"
[ "$silent" != "$line" ] || fail "no command in uninstal.bat's last line: $line"
# cmd /c drops the first and the last quote of its command line: the outer
# pair keeps the line's own quotes whole.
play <<SCRIPT
run $(q 'C:\E2E\Silent\App') $(q "cmd /c \"$silent\"")
exit 1
settled
SCRIPT
expect_absent 'C:\E2E\Silent'
expect_file 'C:\windows\e2e-silent.ini' "its settings"
expect_log "E2E Silent" <<'LOG'
AppTitle=E2E Silent
EMail=e2e@example.com
MkDir=C:\windows\UnInstal\
MkFile=C:\windows\UnInstal\E2E Silent.log
MkFile=C:\windows\e2e-silent.ini
LOG
expect_drive_as "$OUT/drive-before.txt" 'windows/e2e-silent.ini' 'windows/UnInstal/E2E Silent.log'

play <<SCRIPT
run $(q 'C:\') $(q '"C:\windows\UnInstal\uninstal.exe" "UnInstal\E2E Silent.log"')
page "Uninstall"
answer yes
page "Uninstall - Shared File"
text IDC_SHARED_PATH $(q '${windows}\e2e-silent.ini')
click IDC_REMOVE
closed
page "Uninstall - Complete"
message "The E2E Silent application has been removed from your computer."
answer ok
exit 0
settled
SCRIPT
expect_drive_as "$OUT/drive-before.txt"
