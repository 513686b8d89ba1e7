# The background's Exit command (IDM_EXIT), sent while Welcome is open: the
# background goes away and the setup ends with status 0, nothing installed.
write_ini <<'EOF'
apptitle=E2E Exit Command
installpath=C:\E2E\ExitCommand
file=a.txt
EOF
setup_file a.txt "a"
clean_prefix 'C:\E2E\ExitCommand'

play <<SCRIPT
start
page "Setup - Welcome"
background "setup"
command-background IDM_EXIT
closed
exit 0
SCRIPT

expect_absent 'C:\E2E\ExitCommand'
expect_absent 'C:\windows\UnInstal\E2E Exit Command.log'
