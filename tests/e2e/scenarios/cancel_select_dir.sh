# Cancel on Select Directory after typing a path: No keeps the page and the
# typed text, Yes ends the program; the path is never created.
write_ini <<'EOF'
apptitle=E2E Cancel Directory
email=e2e@example.com
installpath=C:\E2E\CancelDirDefault
file=a.txt
EOF
setup_file a.txt "a"
clean_prefix 'C:\E2E\CancelDirDefault' 'C:\E2E\CancelDirTyped'

play <<SCRIPT
start
page "Setup - Welcome"
click IDC_MAIN
closed
page "Setup - Select Directory"
type IDC_INSTALL_PATH $(q 'C:\E2E\CancelDirTyped')
click IDC_CANCEL
page "Cancel Setup"
owner "Setup - Select Directory"
answer no
page "Setup - Select Directory"
text IDC_INSTALL_PATH $(q 'C:\E2E\CancelDirTyped')
click IDC_CANCEL
page-new "Cancel Setup"
answer yes
exit 0
SCRIPT

expect_absent 'C:\E2E\CancelDirDefault'
expect_absent 'C:\E2E\CancelDirTyped'
expect_absent 'C:\windows\UnInstal\E2E Cancel Directory.log'
