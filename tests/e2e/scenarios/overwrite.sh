# Files already at their destinations: a different size brings the warning
# with the destination path, while the Installing page beneath stands on
# that file; Skip keeps the old file, Overwrite replaces and logs it. An
# equal size with other bytes is another version too (a rebuilt program
# often comes out as long); only the same bytes are left alone without a
# question. Skip on Create Shortcut makes no shortcut. Each file replaced,
# in the install, Windows and system directory, is kept first beside the
# log, and uninstal.exe /S puts every one back: bytes, time and read-only
# attribute as before, and C: as it was.
write_ini <<'EOF'
apptitle=E2E Overwrite
email=e2e@example.com
installpath=C:\E2E\Overwrite
file=keep.txt
file=replace.txt
file=same.txt
file=twin.txt
file=new.txt
file=e2e-over.ini,windows_path
file=e2e-over.dll,winsys_path
EOF
setup_file keep.txt "new keep, longer than the old one"
setup_file replace.txt "new replace, longer than the old one"
setup_file same.txt "NEW SAME"
setup_file twin.txt "the same bytes"
setup_file new.txt "a new file"
setup_file e2e-over.ini "the new settings, longer"
setup_file e2e-over.dll "the new library, longer"
stage_uninstaller
clean_prefix 'C:\E2E\Overwrite' 'C:\windows\e2e-over.ini' 'C:\windows\system32\e2e-over.dll'
clean_programs 'E2E Overwrite'
dir="$(unix_of_dos 'C:\E2E\Overwrite')"
mkdir -p "$dir"
printf 'old keep' >"$dir/keep.txt"
printf 'old replace' >"$dir/replace.txt"
printf 'old same' >"$dir/same.txt"
printf 'the same bytes' >"$dir/twin.txt"
printf 'earlier settings' >"$(unix_of_dos 'C:\windows\e2e-over.ini')"
printf 'earlier library' >"$(unix_of_dos 'C:\windows\system32\e2e-over.dll')"
touch -d '2019-05-06 07:08:09' "$dir/replace.txt" "$(unix_of_dos 'C:\windows\e2e-over.ini')"
touch -d '2018-01-02 03:04:05' "$(unix_of_dos 'C:\windows\system32\e2e-over.dll')"
chmod a-w "$dir/replace.txt" "$(unix_of_dos 'C:\windows\system32\e2e-over.dll')" # read-only, as Wine keeps it
REPLACED=('C:\E2E\Overwrite\replace.txt' 'C:\windows\e2e-over.ini' 'C:\windows\system32\e2e-over.dll')
# Bytes, size, time and permissions (the read-only attribute) of each.
exact() {
    local p u
    for p in "${REPLACED[@]}"; do
        u="$(unix_of_dos "$p")"
        printf '%s %s %s\n' "$p" "$(md5sum <"$u" 2>/dev/null | cut -d' ' -f1)" "$(stat -c '%s %Y %A' "$u" 2>&1)"
    done
}
exact >"$OUT/replaced-before.txt"
list_drive >"$OUT/drive-before.txt"

play <<SCRIPT
start
$TO_INSTALLING
page "Setup - Warning"
owner "Setup - Installing"
controls 7
text IDC_OVERWRITE_PATH $(q 'C:\E2E\Overwrite\keep.txt')
text IDC_SKIP_FILE "Skip"
text IDC_OVERWRITE_FILE "Overwrite"
text IDC_ABORT_SETUP "Abort Setup"
fits all
shot overwrite-warning
page "Setup - Installing"
enabled no
class IDC_PROGRESS msctls_progress32
text IDC_TEXT $(q 'Installing the E2E Overwrite application to C:\E2E\Overwrite\.  Press the cancel button to abort the installation.')
text IDC_FILE_LINE "File 1 of 7 (14% Complete)"
text IDC_DEST_PATH $(q 'C:\E2E\Overwrite\keep.txt')
progress IDC_PROGRESS 1 7
page "Setup - Warning"
click IDC_SKIP_FILE
closed
page-new "Setup - Warning"
text IDC_OVERWRITE_PATH $(q 'C:\E2E\Overwrite\replace.txt')
page "Setup - Installing"
text IDC_FILE_LINE "File 2 of 7 (28% Complete)"
text IDC_DEST_PATH $(q 'C:\E2E\Overwrite\replace.txt')
progress IDC_PROGRESS 2 7
page "Setup - Warning"
click IDC_OVERWRITE_FILE
closed
page-new "Setup - Warning"
text IDC_OVERWRITE_PATH $(q 'C:\E2E\Overwrite\same.txt')
page "Setup - Installing"
text IDC_FILE_LINE "File 3 of 7 (42% Complete)"
text IDC_DEST_PATH $(q 'C:\E2E\Overwrite\same.txt')
page "Setup - Warning"
click IDC_SKIP_FILE
closed
page-new "Setup - Warning"
text IDC_OVERWRITE_PATH $(q 'C:\windows\e2e-over.ini')
click IDC_OVERWRITE_FILE
closed
page-new "Setup - Warning"
text IDC_OVERWRITE_PATH $(q 'C:\windows\system32\e2e-over.dll')
click IDC_OVERWRITE_FILE
closed
$SKIP_SHORTCUT_TO_END
exit 0
SCRIPT

expect_file 'C:\E2E\Overwrite\keep.txt' "old keep"
expect_same 'C:\E2E\Overwrite\replace.txt' replace.txt
expect_file 'C:\E2E\Overwrite\same.txt' "old same"
expect_file 'C:\E2E\Overwrite\twin.txt' "the same bytes"
expect_same 'C:\E2E\Overwrite\new.txt' new.txt
expect_same 'C:\windows\e2e-over.ini' e2e-over.ini
expect_same 'C:\windows\system32\e2e-over.dll' e2e-over.dll
kept='C:\windows\UnInstal\E2E Overwrite.log.old'
expect_file "$kept\1-replace.txt" "old replace"
expect_file "$kept\1-e2e-over.ini" "earlier settings"
expect_file "$kept\1-e2e-over.dll" "earlier library"
expect_log "E2E Overwrite" <<EOF
AppTitle=E2E Overwrite
EMail=e2e@example.com
MkDir=C:\windows\UnInstal\\
MkFile=C:\windows\UnInstal\E2E Overwrite.log
MkFile=C:\E2E\Overwrite\uninstal.bat
MkDir=$kept
Needs=Earlier
Earlier=C:\E2E\Overwrite\replace.txt|$kept\1-replace.txt
MkFile=C:\E2E\Overwrite\replace.txt
MkFile=C:\E2E\Overwrite\new.txt
Earlier=C:\windows\e2e-over.ini|$kept\1-e2e-over.ini
MkFile=C:\windows\e2e-over.ini
Earlier=C:\windows\system32\e2e-over.dll|$kept\1-e2e-over.dll
MkFile=C:\windows\system32\e2e-over.dll
Needs=MkReg
MkReg=SetupLog E2E Overwrite.log
EOF
# Skip on Create Shortcut makes no shortcut folder.
expect_absent "$PROGRAMS\\E2E Overwrite"

# Removed silently: ours go, the earlier versions come back as they were.
play <<SCRIPT
run $(q 'C:\') $(q '"C:\windows\UnInstal\uninstal.exe" /S "UnInstal\E2E Overwrite.log"')
exit 0
settled
SCRIPT
exact >"$OUT/replaced-after.txt"
diff "$OUT/replaced-before.txt" "$OUT/replaced-after.txt" >/dev/null ||
    fail "the earlier versions are not back as they were: $(diff "$OUT/replaced-before.txt" "$OUT/replaced-after.txt" | tr '\n' ' ')"
expect_absent "$kept"
expect_absent 'C:\windows\UnInstal\E2E Overwrite.log'
expect_drive_as "$OUT/drive-before.txt"
