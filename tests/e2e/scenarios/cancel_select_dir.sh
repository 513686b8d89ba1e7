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

play <<'SCRIPT'
start
page "Setup - Welcome"
click 1000
closed
page "Setup - Select Directory"
type 1006 "C:\\E2E\\CancelDirTyped"
click 1001
page "Cancel Setup"
owner "Setup - Select Directory"
answer no
page "Setup - Select Directory"
text 1006 "C:\\E2E\\CancelDirTyped"
click 1001
page-new "Cancel Setup"
answer yes
exit 0
SCRIPT

expect_absent 'C:\E2E\CancelDirDefault'
expect_absent 'C:\E2E\CancelDirTyped'
expect_absent 'C:\windows\UnInstal\E2E Cancel Directory.log'
