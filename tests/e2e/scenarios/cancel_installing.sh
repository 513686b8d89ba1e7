# Cancel during the file loop: the driver stops setup.exe's thread while the
# Installing page copies, presses Cancel, answers No (the loop goes on) and,
# at once, Cancel again and Yes. The setup stops before the file whose line
# the page shows, undoes on the same page what it installed (its text says
# so, the bar runs back), and ends with status 0: C: and the Apps & Features
# entries are as before, but for the shared uninstaller.
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
shot undo
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
expect_screenshot undo
