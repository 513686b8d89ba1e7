# "Abort Setup" on the overwrite warning ends the setup like a confirmed
# Cancel: status 0, the file in question and the files after it untouched,
# the log naming what was installed before.
write_ini <<'EOF'
apptitle=E2E Abort Setup
email=e2e@example.com
installpath=C:\E2E\Abort
file=one.txt
file=two.txt
file=three.txt
EOF
setup_file one.txt "one"
setup_file two.txt "two, new and longer"
setup_file three.txt "three"
clean_prefix 'C:\E2E\Abort'
mkdir -p "$(unix_of_dos 'C:\E2E\Abort')"
printf 'two, old' >"$(unix_of_dos 'C:\E2E\Abort\two.txt')"

play <<SCRIPT
start
$TO_INSTALLING
page "Setup - Warning"
text IDC_OVERWRITE_PATH $(q 'C:\E2E\Abort\two.txt')
click IDC_ABORT_SETUP
exit 0
SCRIPT

expect_same 'C:\E2E\Abort\one.txt' one.txt
expect_file 'C:\E2E\Abort\two.txt' "two, old"
expect_absent 'C:\E2E\Abort\three.txt'
expect_log "E2E Abort Setup" <<'EOF'
AppTitle=E2E Abort Setup
EMail=e2e@example.com
MkDir=C:\windows\UnInstal\
MkFile=C:\windows\UnInstal\E2E Abort Setup.log
MkFile=C:\E2E\Abort\uninstal.bat
MkFile=C:\E2E\Abort\one.txt
EOF
