# An installation that put a new file into the Windows directory, where
# another program may come to use it. Removing it asks about that file:
# Keep leaves it and a log that names it (exit 1); the next run, answered
# Remove, removes it. Only that file may differ from C: before setup, as
# chosen. (A file that replaced an earlier one is no question: the earlier
# one comes back, the overwrite scenario.)
write_ini <<'INI'
apptitle=E2E Shared
email=e2e@example.com
installpath=C:\E2E\Shared
file=app.txt
file=e2e-shared.ini,windows_path
INI
setup_file app.txt "the app"
setup_file e2e-shared.ini "the new shared settings, longer"
stage_uninstaller
clean_prefix 'C:\E2E\Shared' 'C:\windows\e2e-shared.ini'
list_drive >"$OUT/drive-before.txt"
kept='The E2E Shared application has been removed, except for these items:
     C:\windows\e2e-shared.ini  (shared, kept)

The setup log C:\windows\UnInstal\E2E Shared.log now names only what remains: run the uninstaller again to remove it later.'

play <<SCRIPT
start
$TO_INSTALLING
$SKIP_SHORTCUT_TO_END
exit 0
run $(q 'C:\') $(q 'C:\windows\UnInstal\uninstal.exe UnInstal\E2E Shared.log')
page "Uninstall"
answer yes
page "Uninstall - Shared File"
text IDC_SHARED_PATH $(q '${windows}\e2e-shared.ini')
click IDC_KEEP
closed
page "Uninstall - Complete"
message $(q "$kept")
answer ok
exit 1
settled
SCRIPT
expect_same 'C:\windows\e2e-shared.ini' e2e-shared.ini
expect_log "E2E Shared" <<'LOG'
AppTitle=E2E Shared
EMail=e2e@example.com
MkDir=C:\windows\UnInstal\
MkFile=C:\windows\UnInstal\E2E Shared.log
MkFile=C:\windows\e2e-shared.ini
LOG
expect_drive_as "$OUT/drive-before.txt" 'windows/e2e-shared.ini' 'windows/UnInstal/E2E Shared.log'

play <<SCRIPT
run $(q 'C:\') $(q 'C:\windows\UnInstal\uninstal.exe UnInstal\E2E Shared.log')
page "Uninstall"
answer yes
page "Uninstall - Shared File"
click IDC_REMOVE
closed
page "Uninstall - Complete"
message "The E2E Shared application has been removed from your computer."
answer ok
exit 0
settled
SCRIPT
expect_absent 'C:\windows\e2e-shared.ini'
expect_drive_as "$OUT/drive-before.txt" 'windows/e2e-shared.ini'
