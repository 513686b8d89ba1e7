# Files already at their destinations: a different size brings the warning
# with the destination path, while the Installing page beneath stands on
# that file; Skip keeps the old file, Overwrite replaces and logs it; an
# equal size is left alone without a question. Skip on Create Shortcut
# makes no shortcut.
write_ini <<'EOF'
apptitle=E2E Overwrite
email=e2e@example.com
installpath=C:\E2E\Overwrite
file=keep.txt
file=replace.txt
file=same.txt
file=new.txt
EOF
setup_file keep.txt "new keep, longer than the old one"
setup_file replace.txt "new replace, longer than the old one"
setup_file same.txt "NEW SAME"
setup_file new.txt "a new file"
clean_prefix 'C:\E2E\Overwrite'
dir="$(unix_of_dos 'C:\E2E\Overwrite')"
mkdir -p "$dir"
printf 'old keep' >"$dir/keep.txt"
printf 'old replace' >"$dir/replace.txt"
printf 'old same' >"$dir/same.txt"

play <<SCRIPT
start
$TO_INSTALLING
page "Setup - Warning"
owner "Setup - Installing"
controls 7
text 1014 "C:\\\\E2E\\\\Overwrite\\\\keep.txt"
text 1015 "Skip"
text 1016 "Overwrite"
text 1017 "Abort Setup"
shot overwrite-warning
page "Setup - Installing"
enabled no
class 1007 msctls_progress32
text 1002 "Installing the E2E Overwrite application to C:\\\\E2E\\\\Overwrite\\\\.  Press the cancel button to abort the installation."
text 1008 "File 1 of 4 (25% Complete)"
text 1009 "C:\\\\E2E\\\\Overwrite\\\\keep.txt"
progress 1007 1 4
page "Setup - Warning"
click 1015
closed
page-new "Setup - Warning"
text 1014 "C:\\\\E2E\\\\Overwrite\\\\replace.txt"
page "Setup - Installing"
text 1008 "File 2 of 4 (50% Complete)"
text 1009 "C:\\\\E2E\\\\Overwrite\\\\replace.txt"
progress 1007 2 4
page "Setup - Warning"
click 1016
closed
page "Setup - Create Shortcut"
click 1013
closed
page "Setup - Complete"
click 1000
closed
exit 0
SCRIPT

expect_file 'C:\E2E\Overwrite\keep.txt' "old keep"
expect_same 'C:\E2E\Overwrite\replace.txt' replace.txt
expect_file 'C:\E2E\Overwrite\same.txt' "old same"
expect_same 'C:\E2E\Overwrite\new.txt' new.txt
expect_log "E2E Overwrite" <<'EOF'
; Setup log file for E2E Overwrite.  Required for the uninstall.
AppTitle=E2E Overwrite
EMail=e2e@example.com
MkDir=C:\windows\UnInstal\
MkFile=C:\windows\UnInstal\E2E Overwrite.log
MkFile=C:\E2E\Overwrite\uninstal.bat
MkFile=C:\E2E\Overwrite\replace.txt
MkFile=C:\E2E\Overwrite\new.txt
EOF
[ -z "$(ls "$C_DRIVE"/users/*/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs/ | grep -x 'E2E Overwrite')" ] ||
    fail "Skip on Create Shortcut made a shortcut folder"
