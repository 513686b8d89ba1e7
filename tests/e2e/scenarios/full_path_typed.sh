# Select Directory takes only a full path: Install with a relative or an
# empty path asks for one, such as C:\Program Files\<title's file name>, and
# the page stays with what was typed; a full path then installs.
write_ini <<'EOF'
apptitle=E2E Full/Path
email=e2e@example.com
installpath=C:\E2E\FullPath\Offered
file=a.txt
EOF
setup_file a.txt "a"
clean_prefix 'C:\E2E\FullPath'
warning="Please enter the full path of the directory to install to, with its drive, such as C:\\Program Files\\E2E Full_Path"

play <<SCRIPT
start
page "Setup - Welcome"
click 1000
closed
page "Setup - Select Directory"
type 1006 "apps\\\\foo"
click 1000
page "Setup Warning"
owner "Setup - Select Directory"
message $(q "$warning")
shot full-path-warning
answer ok
page "Setup - Select Directory"
text 1006 "apps\\\\foo"
type 1006 ""
click 1000
page-new "Setup Warning"
answer ok
page "Setup - Select Directory"
type 1006 "C:\\\\E2E\\\\FullPath\\\\Typed"
click 1000
closed
page "Setup - Create Shortcut"
click 1013
closed
page "Setup - Complete"
click 1000
closed
exit 0
SCRIPT

expect_same 'C:\E2E\FullPath\Typed\a.txt' a.txt
expect_absent 'C:\E2E\FullPath\Offered'
[ ! -e "$SETUP_DIR/apps" ] || fail "a relative install path made directories below the setup directory"
expect_log "E2E Full_Path" <<'EOF'
; Setup log file for E2E Full/Path.  Required for the uninstall.
AppTitle=E2E Full/Path
EMail=e2e@example.com
MkDir=C:\windows\UnInstal\
MkFile=C:\windows\UnInstal\E2E Full_Path.log
MkDir=C:\E2E\FullPath
MkDir=C:\E2E\FullPath\Typed
MkFile=C:\E2E\FullPath\Typed\uninstal.bat
MkFile=C:\E2E\FullPath\Typed\a.txt
EOF
