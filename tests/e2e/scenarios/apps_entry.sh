# The entry in Apps & Features, with Wine's own programs as the client:
# after a silent and after an interactive setup, "uninstaller --list" shows
# it, and "uninstaller --remove" runs our uninstaller (its boxes answered),
# after which the files, the entry and the rest of the exported Uninstall
# key are as before setup. The title holds blanks, "&" and "%".
title='E2E Entry & 100% Sure'
write_ini <<'INI'
apptitle=E2E Entry & 100% Sure
email=e2e@example.com
website=https://example.com/entry
version=1.2.3
publisher=E2E & Co
installpath=C:\E2E\Entry
exename=app.txt
file=app.txt
file=data\more.txt
INI
setup_file app.txt "the app"
setup_file data/more.txt "more of it"
stage_uninstaller
clean_prefix 'C:\E2E\Entry'
clean_programs "$title"
key="SetupLog $title.log"
clean_entry "$key"
list_drive >"$OUT/drive-before.txt"
export_uninstall "$OUT/uninstall-before.txt"
log="C:\\windows\\UnInstal\\$title.log"

for how in silent interactive; do
    echo "-- $how"
    if [ "$how" = silent ]; then
        play <<SCRIPT
start "/S"
quiet-exit 0
SCRIPT
    else
        play <<SCRIPT
start
$TO_INSTALLING
$MAKE_SHORTCUT_TO_END
exit 0
SCRIPT
    fi
    list_entries >"$OUT/list-$how.txt"
    grep -qxF "$key|||$title" "$OUT/list-$how.txt" ||
        fail "uninstaller --list does not show the entry: $(tr '\n' ' ' <"$OUT/list-$how.txt")"
    expect_entry_values "$key" <<EOF
UninstallString    REG_SZ    "C:\\windows\\UnInstal\\uninstal.exe" "$log"
QuietUninstallString    REG_SZ    "C:\\windows\\UnInstal\\uninstal.exe" /S "$log"
InstallLocation    REG_SZ    C:\\E2E\\Entry\\
DisplayIcon    REG_SZ    C:\\E2E\\Entry\\app.txt,0
DisplayName    REG_SZ    $title
DisplayVersion    REG_SZ    1.2.3
Publisher    REG_SZ    E2E & Co
URLInfoAbout    REG_SZ    https://example.com/entry
Contact    REG_SZ    e2e@example.com
EstimatedSize    REG_DWORD    0x
InstallDate    REG_SZ    $(date +%Y%m%d)
NoModify    REG_DWORD    0x1
NoRepair    REG_DWORD    0x1
EOF
    # The log directory is made by the first setup, and stays with the
    # uninstaller that every log shares.
    made_log_dir=""
    [ "$how" = silent ] && made_log_dir="MkDir=C:\\windows\\UnInstal\\
"
    expect_lines "$log" <<EOF
$(log_header "$title")
AppTitle=$title
EMail=e2e@example.com
${made_log_dir}MkFile=$log
MkDir=C:\\E2E\\Entry
MkFile=C:\\E2E\\Entry\\uninstal.bat
MkFile=C:\\E2E\\Entry\\app.txt
MkDir=C:\\E2E\\Entry\\data
MkFile=C:\\E2E\\Entry\\data\\more.txt
MkDir=$PROGRAMS\\$title
MkFile=$PROGRAMS\\$title\\$title.lnk
Needs=MkReg
MkReg=$key
EOF
    play <<SCRIPT
run $(q 'C:\') $(q "uninstaller --remove \"$key\"")
page "Uninstall"
answer yes
page "Uninstall - Complete"
answer ok
settled
SCRIPT
    list_entries | grep -qF "$key" && fail "the entry is still listed after its removal"
    expect_drive_as "$OUT/drive-before.txt"
    export_uninstall "$OUT/uninstall-after.txt"
    diff "$OUT/uninstall-before.txt" "$OUT/uninstall-after.txt" >"$OUT/uninstall-diff.txt" ||
        fail "the Uninstall key is not as before setup: $(tr '\n' ' ' <"$OUT/uninstall-diff.txt")"
done
