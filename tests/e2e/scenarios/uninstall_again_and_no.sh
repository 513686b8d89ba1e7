# No to the confirmation touches nothing (exit 2); Yes removes everything
# (exit 0); a second run then finds no log: a box that names it and says
# nothing was removed, or silently, status 2; nothing is touched either time.
write_ini <<'INI'
apptitle=E2E Again
email=e2e@example.com
installpath=C:\E2E\Again
file=app.txt
INI
setup_file app.txt "the app"
stage_uninstaller
clean_prefix 'C:\E2E\Again'
list_drive >"$OUT/drive-before.txt"

play <<SCRIPT
start
$TO_INSTALLING
$SKIP_SHORTCUT_TO_END
exit 0
SCRIPT
list_drive >"$OUT/drive-installed.txt"
cp "$(unix_of_dos 'C:\windows\UnInstal\E2E Again.log')" "$OUT/log-installed"

play <<SCRIPT
run $(q 'C:\E2E\Again') "cmd /c uninstal.bat"
page "Uninstall"
answer no
exit 2
settled
SCRIPT
expect_drive_as "$OUT/drive-installed.txt"
cmp -s "$OUT/log-installed" "$(unix_of_dos 'C:\windows\UnInstal\E2E Again.log')" || fail "No changed the log"

no_log='The setup log

     C:\windows\UnInstal\E2E Again.log

could not be opened: it does not exist.

Nothing has been removed.'
play <<SCRIPT
run $(q 'C:\E2E\Again') "cmd /c uninstal.bat"
page "Uninstall"
answer yes
page "Uninstall - Complete"
answer ok
exit 0
# The log goes with the copy of the uninstaller that finishes once cmd has
# ended: the second run comes after it.
settled
run $(q 'C:\') $(q 'C:\windows\UnInstal\uninstal.exe UnInstal\E2E Again.log')
page "Uninstall - Error"
message $(q "$no_log")
shot uninstall-no-log
answer ok
exit 2
run $(q 'C:\') $(q 'C:\windows\UnInstal\uninstal.exe /S UnInstal\E2E Again.log')
exit 2
settled
SCRIPT
expect_drive_as "$OUT/drive-before.txt"
