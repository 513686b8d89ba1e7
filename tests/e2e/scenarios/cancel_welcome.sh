# Cancel on the Welcome page: No keeps the page, Yes ends the program at
# once with status 0, before anything is installed.
write_ini <<'EOF'
apptitle=E2E Cancel Welcome
email=e2e@example.com
installpath=C:\E2E\CancelWelcome
file=a.txt
EOF
setup_file a.txt "a"
clean_prefix 'C:\E2E\CancelWelcome'

play <<SCRIPT
start
page "Setup - Welcome"
click IDC_CANCEL
page "Cancel Setup"
owner "Setup - Welcome"
message "Do you really wish to cancel the Setup process?"
shot cancel-question
answer no
page "Setup - Welcome"
enabled yes
click IDC_CANCEL
page-new "Cancel Setup"
answer yes
exit 0
SCRIPT

expect_absent 'C:\E2E\CancelWelcome'
expect_absent 'C:\windows\UnInstal\E2E Cancel Welcome.log'
