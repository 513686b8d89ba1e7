# A page whose dialog cannot be made (here: the Create Shortcut template is
# broken in the scenario's copy of setup.exe) ends the setup with the "Setup
# Error" box instead of waiting for a page that never appears. What was
# installed is undone: C: is as before, but for the shared uninstaller.
write_ini <<'EOF'
apptitle=E2E Page Missing
email=e2e@example.com
installpath=C:\E2E\PageMissing
file=a.txt
EOF
setup_file a.txt "a"
clean_prefix 'C:\E2E\PageMissing'
list_drive >"$OUT/drive-before.txt"

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

expect_absent 'C:\E2E\PageMissing'
expect_absent 'C:\windows\UnInstal\E2E Page Missing.log'
expect_drive_as "$OUT/drive-before.txt"
