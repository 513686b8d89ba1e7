# A page whose dialog cannot be made (here: the Create Shortcut template is
# broken in the scenario's copy of setup.exe) ends the setup with the "Setup
# Error" box instead of waiting for a page that never appears. What was
# installed stays logged.
write_ini <<'EOF'
apptitle=E2E Page Missing
email=e2e@example.com
installpath=C:\E2E\PageMissing
file=a.txt
EOF
setup_file a.txt "a"
clean_prefix 'C:\E2E\PageMissing'

play <<SCRIPT
break-template IDD_SHORTCUT
start
$TO_INSTALLING
page "Setup Error"
owner "setup"
message $(q "$(setup_error_text "Error opening setup page 132!" "Graphics mode related error." e2e@example.com)")
answer ok
exit 0
SCRIPT

expect_same 'C:\E2E\PageMissing\a.txt' a.txt
expect_log "E2E Page Missing" <<'EOF'
AppTitle=E2E Page Missing
EMail=e2e@example.com
MkDir=C:\windows\UnInstal\
MkFile=C:\windows\UnInstal\E2E Page Missing.log
MkDir=C:\E2E\PageMissing
MkFile=C:\E2E\PageMissing\uninstal.bat
MkFile=C:\E2E\PageMissing\a.txt
EOF
