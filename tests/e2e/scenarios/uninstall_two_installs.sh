# The same title installed twice (logs "E2E Twice.log" and "E2E Twicea.log",
# one install folder and one shortcut folder), removed silently in either
# order: each removal ends with status 0, and after both C: is as before.
write_ini <<'INI'
apptitle=E2E Twice
email=e2e@example.com
installpath=C:\E2E\Twice
file=app.txt
INI
setup_file app.txt "the app"
stage_uninstaller
clean_prefix 'C:\E2E\Twice'
clean_programs 'E2E Twice'
list_drive >"$OUT/drive-before.txt"

INSTALL="start
$TO_INSTALLING
page \"Setup - Create Shortcut\"
click IDC_MAIN
closed
page \"Setup - Complete\"
click IDC_MAIN
closed
exit 0"
for order in "E2E Twice.log|E2E Twicea.log" "E2E Twicea.log|E2E Twice.log"; do
    first="${order%|*}" second="${order#*|}"
    echo "-- install twice, remove $first first"
    play <<SCRIPT
$INSTALL
$INSTALL
run $(q 'C:\') $(q "C:\\windows\\UnInstal\\uninstal.exe /S UnInstal\\$first")
exit 0
settled
SCRIPT
    expect_absent "C:\\windows\\UnInstal\\$first"
    expect_file "C:\\windows\\UnInstal\\$second"
    play <<SCRIPT
run $(q 'C:\') $(q "C:\\windows\\UnInstal\\uninstal.exe /S UnInstal\\$second")
exit 0
settled
SCRIPT
    expect_drive_as "$OUT/drive-before.txt"
done
