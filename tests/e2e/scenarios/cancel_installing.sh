# Cancel during the file loop: the driver stops setup.exe's thread while the
# Installing page copies, presses Cancel, answers No (the loop goes on) and,
# at once, Cancel again and Yes. The setup stops before the file whose line
# the page shows, undoes on the same page what it installed (its text says
# so, the bar runs back), and ends with status 0: C: and the Apps & Features
# entries are as before, but for the shared uninstaller. Once more with the
# first file held open by another program: the undo waits for it a moment
# (the page names it), then leaves it and its folder, a box says so, the log names them, and the
# uninstaller removes them once the program is gone.
count=100
{
    echo 'apptitle=E2E Cancel Installing'
    echo 'email=e2e@example.com'
    echo 'installpath=C:\E2E\CancelInstalling'
    for i in $(seq -f '%03g' 1 $count); do echo "file=f$i.dat"; done
} | write_ini
for i in $(seq -f '%03g' 1 $count); do
    head -c 262144 /dev/urandom >"$SETUP_DIR/f$i.dat"
done
clean_prefix 'C:\E2E\CancelInstalling'
stage_uninstaller
list_drive >"$OUT/drive-before.txt"
list_entries >"$OUT/entries-before.txt"

play <<SCRIPT
start
$TO_INSTALLING
page "Setup - Installing"
wait-match IDC_FILE_LINE $(q 'File ([1-9][0-9]) of 100 \([0-9]+% Complete\)')
suspend
text IDC_TEXT $(q 'Installing the E2E Cancel Installing application to C:\E2E\CancelInstalling\.  Press the cancel button to abort the installation.')
shot installing
click IDC_CANCEL
resume
page "Cancel Setup"
owner "Setup - Installing"
message "Do you really wish to cancel the Setup process?"
shot cancel-installing
suspend
answer-posted no
page "Setup - Installing"
click IDC_CANCEL
resume
page-new "Cancel Setup"
page "Setup - Installing"
print IDC_FILE_LINE
page "Cancel Setup"
answer yes
page "Setup - Installing"
wait-match IDC_TEXT $(q 'Undoing the installation of E2E Cancel Installing: setup removes what it has installed so far, and then ends\.')
wait-text IDC_FILE_LINE "Undone"
exit 0
SCRIPT

line="$(sed -n 's/^text IDC_FILE_LINE=//p' "$OUT/driver.log")"
if [[ "$line" =~ ^File\ ([0-9]+)\ of\ $count\ \(([0-9]+)%\ Complete\)$ ]]; then
    echo "-- the setup stopped before file $((10#${BASH_REMATCH[1]})), and undid the files before it"
else
    fail "no file line from the Installing page: '$line'"
fi
expect_absent 'C:\E2E\CancelInstalling'
expect_absent 'C:\windows\UnInstal\E2E Cancel Installing.log'
expect_drive_as "$OUT/drive-before.txt"
list_entries | diff "$OUT/entries-before.txt" - >/dev/null || fail "the Apps & Features entries changed"

"$WINE_RUN" "$HOLD_FILE_EXE" 'C:\E2E\CancelInstalling\f001.dat' 15000 </dev/null >"$OUT/hold.log" 2>&1 &
holder=$!
play <<SCRIPT
start
$TO_INSTALLING
page "Setup - Installing"
wait-match IDC_FILE_LINE $(q 'File ([3-9][0-9]) of 100 \([0-9]+% Complete\)')
click IDC_CANCEL
page "Cancel Setup"
answer yes
page "Setup - Installing"
wait-text IDC_DEST_PATH $(q 'C:\E2E\CancelInstalling\f001.dat')
matches IDC_FILE_LINE "Undoing [0-9]+ of [0-9]+"
shot undo
page "Setup - Warning"
message $(q 'Setup has undone the installation of E2E Cancel Installing, but could not remove C:\E2E\CancelInstalling\f001.dat and 1 more: a program may be using it. The setup log C:\windows\UnInstal\E2E Cancel Installing.log names what stays, so that the uninstaller can remove it later.')
shot undo-left
answer ok
exit 0
SCRIPT
expect_screenshot undo
expect_screenshot undo-left
expect_same 'C:\E2E\CancelInstalling\f001.dat' f001.dat
expect_absent 'C:\E2E\CancelInstalling\f002.dat'
expect_log "E2E Cancel Installing" <<'LOG'
AppTitle=E2E Cancel Installing
EMail=e2e@example.com
MkFile=C:\windows\UnInstal\E2E Cancel Installing.log
MkDir=C:\E2E\CancelInstalling
MkFile=C:\E2E\CancelInstalling\f001.dat
LOG
wait "$holder"
play <<SCRIPT
run $(q 'C:\') $(q '"C:\windows\UnInstal\uninstal.exe" /S "UnInstal\E2E Cancel Installing.log"')
exit 0
settled
SCRIPT
expect_drive_as "$OUT/drive-before.txt"
