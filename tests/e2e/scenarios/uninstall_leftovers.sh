# A log that names more than it should: entries that are unsafe (relative,
# "..", a wildcard, a drive root), a last line cut short by a crash, and a
# folder to which the user added a file. None of those is touched, the
# closing message lists each with its reason, the status is 1, and the
# rewritten log names what remains.
write_ini <<'INI'
apptitle=E2E Leftovers
email=e2e@example.com
installpath=C:\E2E\Leftovers\App
file=readme.txt
file=data.txt
INI
setup_file readme.txt "read me"
setup_file data.txt "its data"
stage_uninstaller
clean_prefix 'C:\E2E\Leftovers' 'C:\windows\victim.txt'

play <<SCRIPT
start
$TO_INSTALLING
$SKIP_SHORTCUT_TO_END
exit 0
SCRIPT

# What the unsafe entries would name if they were taken for paths.
printf 'victim' >"$(unix_of_dos 'C:\windows\victim.txt')"
printf 'victim' >"$(unix_of_dos 'C:\E2E\Leftovers\victim.txt')"
printf 'the cut line names a prefix of it' >"$(unix_of_dos 'C:\E2E\Leftovers\App\rea')"
printf "the user's own" >"$(unix_of_dos 'C:\E2E\Leftovers\App\mine.txt')"
log="$(unix_of_dos 'C:\windows\UnInstal\E2E Leftovers.log')"
printf '%s\r\n' 'MkFile=victim.txt' 'MkFile=C:\E2E\Leftovers\App\..\victim.txt' 'MkFile=C:\E2E\Leftovers\*.txt' \
    'MkDir=C:\' >>"$log"
printf '%s' 'MkFile=C:\E2E\Leftovers\App\rea' >>"$log"

app='C:\E2E\Leftovers\App'
kept="The E2E Leftovers application has been removed, except for these items:
     MkFile=$app\\rea  (skipped: the log's last line, cut short)
     MkDir=C:\\  (skipped as unsafe: a drive's root)
     MkFile=C:\\E2E\\Leftovers\\*.txt  (skipped as unsafe: a wildcard)
     MkFile=$app\\..\\victim.txt  (skipped as unsafe: \".\" or \"..\")
     MkFile=victim.txt  (skipped as unsafe: no full path)
     $app  (not empty)
     C:\\E2E\\Leftovers  (not empty)

The setup log C:\\windows\\UnInstal\\E2E Leftovers.log now names only what remains: run the uninstaller again to remove it later."
play <<SCRIPT
run $(q 'C:\') $(q 'C:\windows\UnInstal\uninstal.exe UnInstal\E2E Leftovers.log')
page "Uninstall"
answer yes
page "Uninstall - Complete"
message $(q "$kept")
shot uninstall-leftovers
answer ok
exit 1
settled
SCRIPT
expect_file 'C:\windows\victim.txt' victim
expect_file 'C:\E2E\Leftovers\victim.txt' victim
expect_file 'C:\E2E\Leftovers\App\rea' 'the cut line names a prefix of it'
expect_file 'C:\E2E\Leftovers\App\mine.txt' "the user's own"
expect_absent 'C:\E2E\Leftovers\App\readme.txt'
expect_absent 'C:\E2E\Leftovers\App\data.txt'
expect_absent 'C:\E2E\Leftovers\App\uninstal.bat'
expect_log "E2E Leftovers" <<'LOG'
AppTitle=E2E Leftovers
EMail=e2e@example.com
MkDir=C:\windows\UnInstal\
MkFile=C:\windows\UnInstal\E2E Leftovers.log
MkDir=C:\E2E\Leftovers
MkDir=C:\E2E\Leftovers\App
MkFile=victim.txt
MkFile=C:\E2E\Leftovers\App\..\victim.txt
MkFile=C:\E2E\Leftovers\*.txt
MkDir=C:\
; cut short, ignored: MkFile=C:\E2E\Leftovers\App\rea
LOG
