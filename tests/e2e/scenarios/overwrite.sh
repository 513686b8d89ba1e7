# Files already at their destinations: a different size brings the warning
# with the destination path, while the Installing page beneath stands on
# that file; Skip keeps the old file, Overwrite replaces and logs it. An
# equal size with other bytes is another version too (a rebuilt program
# often comes out as long); only the same bytes are left alone without a
# question. Skip on Create Shortcut makes no shortcut.
write_ini <<'EOF'
apptitle=E2E Overwrite
email=e2e@example.com
installpath=C:\E2E\Overwrite
file=keep.txt
file=replace.txt
file=same.txt
file=twin.txt
file=new.txt
EOF
setup_file keep.txt "new keep, longer than the old one"
setup_file replace.txt "new replace, longer than the old one"
setup_file same.txt "NEW SAME"
setup_file twin.txt "the same bytes"
setup_file new.txt "a new file"
clean_prefix 'C:\E2E\Overwrite'
clean_programs 'E2E Overwrite'
dir="$(unix_of_dos 'C:\E2E\Overwrite')"
mkdir -p "$dir"
printf 'old keep' >"$dir/keep.txt"
printf 'old replace' >"$dir/replace.txt"
printf 'old same' >"$dir/same.txt"
printf 'the same bytes' >"$dir/twin.txt"

play <<SCRIPT
start
$TO_INSTALLING
page "Setup - Warning"
owner "Setup - Installing"
controls 7
text IDC_OVERWRITE_PATH $(q 'C:\E2E\Overwrite\keep.txt')
text IDC_SKIP_FILE "Skip"
text IDC_OVERWRITE_FILE "Overwrite"
text IDC_ABORT_SETUP "Abort Setup"
fits all
shot overwrite-warning
page "Setup - Installing"
enabled no
class IDC_PROGRESS msctls_progress32
text IDC_TEXT $(q 'Installing the E2E Overwrite application to C:\E2E\Overwrite\.  Press the cancel button to abort the installation.')
text IDC_FILE_LINE "File 1 of 5 (20% Complete)"
text IDC_DEST_PATH $(q 'C:\E2E\Overwrite\keep.txt')
progress IDC_PROGRESS 1 5
page "Setup - Warning"
click IDC_SKIP_FILE
closed
page-new "Setup - Warning"
text IDC_OVERWRITE_PATH $(q 'C:\E2E\Overwrite\replace.txt')
page "Setup - Installing"
text IDC_FILE_LINE "File 2 of 5 (40% Complete)"
text IDC_DEST_PATH $(q 'C:\E2E\Overwrite\replace.txt')
progress IDC_PROGRESS 2 5
page "Setup - Warning"
click IDC_OVERWRITE_FILE
closed
page-new "Setup - Warning"
text IDC_OVERWRITE_PATH $(q 'C:\E2E\Overwrite\same.txt')
page "Setup - Installing"
text IDC_FILE_LINE "File 3 of 5 (60% Complete)"
text IDC_DEST_PATH $(q 'C:\E2E\Overwrite\same.txt')
page "Setup - Warning"
click IDC_SKIP_FILE
closed
$SKIP_SHORTCUT_TO_END
exit 0
SCRIPT

expect_file 'C:\E2E\Overwrite\keep.txt' "old keep"
expect_same 'C:\E2E\Overwrite\replace.txt' replace.txt
expect_file 'C:\E2E\Overwrite\same.txt' "old same"
expect_file 'C:\E2E\Overwrite\twin.txt' "the same bytes"
expect_same 'C:\E2E\Overwrite\new.txt' new.txt
expect_log "E2E Overwrite" <<'EOF'
AppTitle=E2E Overwrite
EMail=e2e@example.com
MkDir=C:\windows\UnInstal\
MkFile=C:\windows\UnInstal\E2E Overwrite.log
MkFile=C:\E2E\Overwrite\uninstal.bat
MkFile=C:\E2E\Overwrite\replace.txt
MkFile=C:\E2E\Overwrite\new.txt
EOF
# Skip on Create Shortcut makes no shortcut folder.
expect_absent "$PROGRAMS\\E2E Overwrite"
