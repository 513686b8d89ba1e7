# Select Directory takes only a full path: Install with a relative or an
# empty path asks for one, such as C:\Program Files\<title's file name>, and
# the page stays with what was typed; a full path then installs. A folder
# name typed in letters that the ANSI code page lacks reaches setup as "?"s,
# and one with a trailing dot or blank would lose them: the warning names
# that folder and says why.
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
click IDC_MAIN
closed
page "Setup - Select Directory"
type IDC_INSTALL_PATH $(q 'apps\foo')
click IDC_MAIN
page "Setup Warning"
owner "Setup - Select Directory"
message $(q "$warning")
shot full-path-warning
answer ok
page "Setup - Select Directory"
text IDC_INSTALL_PATH $(q 'apps\foo')
type IDC_INSTALL_PATH ""
click IDC_MAIN
page-new "Setup Warning"
answer ok
page "Setup - Select Directory"
type-utf8 IDC_INSTALL_PATH $(q 'C:\E2E\FullPath\Акме\Tools')
click IDC_MAIN
page-new "Setup Warning"
message $(q "The folder name '????' holds a '?', which no name may hold.  Windows puts one for each character that this system's code page cannot hold, such as a Cyrillic letter on a Western system.  Please enter the path in characters of the code page.")
answer ok
page "Setup - Select Directory"
text IDC_INSTALL_PATH $(q 'C:\E2E\FullPath\????\Tools')
type IDC_INSTALL_PATH $(q 'C:\E2E\FullPath\Acme. ')
click IDC_MAIN
page-new "Setup Warning"
message $(q "The folder name 'Acme. ' ends in a dot or a blank, which Windows would drop from it.  Please enter the path without them.")
answer ok
page "Setup - Select Directory"
type IDC_INSTALL_PATH $(q 'C:\E2E\FullPath\Typed')
click IDC_MAIN
closed
$SKIP_SHORTCUT_TO_END
exit 0
SCRIPT

expect_same 'C:\E2E\FullPath\Typed\a.txt' a.txt
expect_absent 'C:\E2E\FullPath\Offered'
[ ! -e "$SETUP_DIR/apps" ] || fail "a relative install path made directories below the setup directory"
expect_log "E2E Full_Path" "E2E Full/Path" <<'EOF'
AppTitle=E2E Full/Path
EMail=e2e@example.com
MkDir=C:\windows\UnInstal\
MkFile=C:\windows\UnInstal\E2E Full_Path.log
MkDir=C:\E2E\FullPath
MkDir=C:\E2E\FullPath\Typed
MkFile=C:\E2E\FullPath\Typed\uninstal.bat
MkFile=C:\E2E\FullPath\Typed\a.txt
EOF
