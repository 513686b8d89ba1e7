# An install path that cannot be created (a file stands where a directory
# should): the "Setup Error" box over the Installing page, status 0, and a
# log that names only itself.
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
expect_log "E2E Install Error" <<'EOF'
AppTitle=E2E Install Error
EMail=e2e@example.com
MkDir=C:\windows\UnInstal\
MkFile=C:\windows\UnInstal\E2E Install Error.log
EOF
