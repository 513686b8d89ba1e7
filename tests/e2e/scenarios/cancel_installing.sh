# Cancel during the file loop: the driver stops setup.exe's thread while the
# Installing page copies, presses Cancel, answers No (the loop goes on) and,
# at once, Cancel again and Yes. The setup ends with status 0 before the file
# whose line the page shows; that file and all after it stay uninstalled.
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
exit 0
SCRIPT

line="$(sed -n 's/^text IDC_FILE_LINE=//p' "$OUT/driver.log")"
if [[ "$line" =~ ^File\ ([0-9]+)\ of\ $count\ \(([0-9]+)%\ Complete\)$ ]]; then
    stop=$((10#${BASH_REMATCH[1]}))
    echo "-- the setup stopped before file $stop"
    expected_log="AppTitle=E2E Cancel Installing
EMail=e2e@example.com
MkDir=C:\\windows\\UnInstal\\
MkFile=C:\\windows\\UnInstal\\E2E Cancel Installing.log
MkDir=C:\\E2E\\CancelInstalling
MkFile=C:\\E2E\\CancelInstalling\\uninstal.bat"
    for i in $(seq 1 $count); do
        name="f$(printf '%03d' "$i").dat"
        if [ "$i" -lt "$stop" ]; then
            expect_same "C:\\E2E\\CancelInstalling\\$name" "$name"
            expected_log+=$'\n'"MkFile=C:\\E2E\\CancelInstalling\\$name"
        else
            expect_absent "C:\\E2E\\CancelInstalling\\$name"
        fi
    done
    expect_log "E2E Cancel Installing" <<<"$expected_log"
else
    fail "no file line from the Installing page: '$line'"
fi
