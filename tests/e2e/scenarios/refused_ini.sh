# A setup.ini line that would lead outside the directories the user agrees
# to is refused when setup.ini is read: a file name with ".." parts or a
# drive, an install path that is not full. The "Setup Error" box names the
# line, before any window; nothing is installed and no log is written.
clean_prefix 'C:\E2E\Refused'
rm -f "$C_DRIVE/evil.txt" "$C_DRIVE/windows/evil2.dll"
# What the names would reach from the setup directory.
printf 'evil' >"$E2E_OUT/evil.txt"
printf 'evil' >"$E2E_OUT/refused_ini/evil2.dll"
setup_file a.txt "a"

refused_case() { # LINE ERROR-TEXT
    write_ini <<EOF
apptitle=E2E Refused
email=e2e@example.com
installpath=C:\\E2E\\Refused
file=a.txt
$1
EOF
    play <<SCRIPT
start
page "Setup Error"
owner none
no-background
message $(q "$(setup_error_text "Error loading setup config file 'SETUP.INI' at the line '$1'!" "$2" e2e@example.com)")
answer ok
exit 0
SCRIPT
}

name_error="A setup file name may not have a drive, a leading backslash, a '.' or '..' part, or a part that Windows would change or refuse!"
path_error="The install path must be a full path, with a drive letter, a colon and a backslash, and no part that Windows would change or refuse!"
refused_case 'file=..\..\evil.txt' "$name_error"
refused_case 'file=..\evil2.dll,winsys_path' "$name_error"
refused_case 'file=C:\evil.txt' "$name_error"
refused_case 'installpath=apps\foo' "$path_error"
refused_case 'installpath=.' "$path_error"
refused_case 'installpath=C:\E2E\Refused.' "A folder name of the install path ends in a dot or a blank, which Windows would drop from it!"
# A line as long as setup.ini takes: the box names it whole.
long_line="file=..\\$(printf 'A Folder Of The Application %.0s' $(seq 1 9))"
refused_case "${long_line:0:255}" "$name_error"

expect_absent 'C:\evil.txt'
expect_absent 'C:\windows\evil2.dll'
expect_absent 'C:\E2E\Refused'
expect_absent 'C:\windows\UnInstal'
[ ! -e "$SETUP_DIR/apps" ] || fail "a relative install path made directories below the setup directory"
