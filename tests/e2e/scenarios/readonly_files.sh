# Read-only, hidden and system files: Windows replaces none of them, so
# Overwrite makes the old file plain before the copy; and a file from
# read-only media (here the setup directory) is installed without its
# read-only attribute, so that the application can change it.
write_ini <<'EOF'
apptitle=E2E Read Only
email=e2e@example.com
installpath=C:\E2E\ReadOnly
file=replace.txt
file=cdrom.txt
EOF
setup_file replace.txt "new replace, longer than the old one"
setup_file cdrom.txt "from read-only media"
chmod a-w "$SETUP_DIR/cdrom.txt" # how Wine keeps the read-only attribute
clean_prefix 'C:\E2E\ReadOnly'
mkdir -p "$(unix_of_dos 'C:\E2E\ReadOnly')"
printf 'old replace' >"$(unix_of_dos 'C:\E2E\ReadOnly\replace.txt')"
# Wine's attrib takes one attribute at a time.
for flag in +r +h +s; do
    "$WINE_RUN" cmd /c attrib "$flag" 'C:\E2E\ReadOnly\replace.txt' </dev/null >/dev/null 2>&1
done
[ "$(attributes_of 'C:\E2E\ReadOnly\replace.txt')" = ASHR ] ||
    fail "the old file is not read-only, hidden and system: $(attributes_of 'C:\E2E\ReadOnly\replace.txt')"

play <<SCRIPT
start
$TO_INSTALLING
page "Setup - Warning"
text 1014 "C:\\\\E2E\\\\ReadOnly\\\\replace.txt"
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

expect_same 'C:\E2E\ReadOnly\replace.txt' replace.txt
expect_same 'C:\E2E\ReadOnly\cdrom.txt' cdrom.txt
for f in replace.txt cdrom.txt; do
    a="$(attributes_of "C:\\E2E\\ReadOnly\\$f")"
    [ "$a" = A ] || fail "C:\\E2E\\ReadOnly\\$f has the attributes $a"
done
expect_log "E2E Read Only" <<'EOF'
; Setup log file for E2E Read Only.  Required for the uninstall.
AppTitle=E2E Read Only
EMail=e2e@example.com
MkDir=C:\windows\UnInstal\
MkFile=C:\windows\UnInstal\E2E Read Only.log
MkFile=C:\E2E\ReadOnly\uninstal.bat
MkFile=C:\E2E\ReadOnly\replace.txt
MkFile=C:\E2E\ReadOnly\cdrom.txt
EOF
