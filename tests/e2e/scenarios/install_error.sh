# An install path that cannot be created (a file stands where a directory
# should): the "Setup Error" box over the Installing page, then the undo of
# what was made (the log and its folder), status 0. The background window
# closed while Create Shortcut asks: every file goes again, with no page to
# show it on. Either way C: is as before, but for the shared uninstaller.
write_ini <<'EOF'
apptitle=E2E Install Error
email=e2e@example.com
installpath=C:\E2E\Blocked\file.txt\sub
file=a.txt
EOF
setup_file a.txt "a"
clean_prefix 'C:\E2E\Blocked'
mkdir -p "$(unix_of_dos 'C:\E2E\Blocked')"
printf 'in the way' >"$(unix_of_dos 'C:\E2E\Blocked\file.txt')"
list_drive >"$OUT/drive-before.txt"

play <<SCRIPT
start
$TO_INSTALLING
page "Setup Error"
owner "Setup - Installing"
message $(q "$(setup_error_text "Error installing application!" "Error attempting to create directory!" e2e@example.com)")
shot setup-error-install
answer ok
exit 0
SCRIPT

expect_file 'C:\E2E\Blocked\file.txt' "in the way"
expect_absent 'C:\windows\UnInstal\E2E Install Error.log'
expect_drive_as "$OUT/drive-before.txt"

write_ini <<'EOF'
apptitle=E2E Install Error
email=e2e@example.com
installpath=C:\E2E\Blocked\app
file=a.txt
file=b.txt,win_path
EOF
setup_file b.txt "b"
stage_uninstaller
list_drive >"$OUT/drive-before.txt"
list_entries >"$OUT/entries-before.txt"

play <<SCRIPT
start
$TO_INSTALLING
page "Setup - Create Shortcut"
command-background IDM_EXIT
exit 0
SCRIPT

expect_absent 'C:\E2E\Blocked\app'
expect_absent 'C:\windows\b.txt'
expect_absent 'C:\windows\UnInstal\E2E Install Error.log'
expect_drive_as "$OUT/drive-before.txt"
list_entries | diff "$OUT/entries-before.txt" - >/dev/null || fail "the Apps & Features entries changed"
