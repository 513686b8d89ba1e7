# The same title installed into two folders (logs "E2E Twice.log" and
# "E2E Twicea.log", two entries told apart by the folder, one shortcut
# folder, by the wizard and by /S /D=), removed through their entries
# (uninstaller --remove) in either order: the first removal leaves the other
# installation and its entry, and after both C: and the exported Uninstall
# key are as before. (Installed twice into one folder it is one
# installation: reinstall_round_trip.) Both replace one earlier file in the
# system directory (the wizard's Overwrite, then /S /REPLACE with a newer
# one): the installation left keeps its version after the first removal,
# and the last removal puts the earlier one back, bytes, time and all.
write_ini <<'INI'
apptitle=E2E Twice
email=e2e@example.com
installpath=C:\E2E\Twice
file=app.txt
file=e2e-twice.dll,winsys_path
INI
setup_file app.txt "the app"
stage_uninstaller
dll='C:\windows\system32\e2e-twice.dll'
clean_prefix 'C:\E2E\Twice' 'C:\E2E\Twice2' "$dll"
printf 'the earlier library' >"$(unix_of_dos "$dll")"
touch -d '2017-07-08 09:10:11' "$(unix_of_dos "$dll")"
exact_dll() { printf '%s %s\n' "$(md5sum <"$(unix_of_dos "$dll")" | cut -d' ' -f1)" "$(stat -c '%s %Y %A' "$(unix_of_dos "$dll")")"; }
dll_before="$(exact_dll)"
clean_programs 'E2E Twice'
clean_entry 'SetupLog E2E Twice.log'
clean_entry 'SetupLog E2E Twicea.log'
list_drive >"$OUT/drive-before.txt"
export_uninstall "$OUT/uninstall-before.txt"

INSTALL="start
$TO_INSTALLING
page \"Setup - Warning\"
click IDC_OVERWRITE_FILE
closed
page \"Setup - Create Shortcut\"
click IDC_MAIN
closed
page \"Setup - Complete\"
click IDC_MAIN
closed
exit 0"
INSTALL_NEWER="start $(q '/S /REPLACE /D=C:\E2E\Twice2')
quiet-exit 0"
for order in "E2E Twice.log|E2E Twicea.log" "E2E Twicea.log|E2E Twice.log"; do
    first="${order%|*}" second="${order#*|}"
    echo "-- install twice, remove $first first"
    setup_file e2e-twice.dll "the first installation's library"
    play <<SCRIPT
$INSTALL
SCRIPT
    setup_file e2e-twice.dll "the second one's, newer"
    play <<SCRIPT
$INSTALL_NEWER
SCRIPT
    expect_file "$dll" "the second one's, newer"
    list_entries >"$OUT/list.txt"
    grep -qxF 'SetupLog E2E Twice.log|||E2E Twice' "$OUT/list.txt" || fail "no entry for the first folder"
    grep -qxF 'SetupLog E2E Twicea.log|||E2E Twice (C:\E2E\Twice2)' "$OUT/list.txt" ||
        fail "no entry for the second folder: $(tr '\n' ' ' <"$OUT/list.txt")"
    play <<SCRIPT
run $(q 'C:\') $(q "uninstaller --remove \"SetupLog $first\"")
page "Uninstall"
answer yes
page "Uninstall - Complete"
answer ok
settled
SCRIPT
    expect_absent "C:\\windows\\UnInstal\\$first"
    expect_file "C:\\windows\\UnInstal\\$second"
    expect_file "$dll" "the second one's, newer"
    list_entries | grep -qF "SetupLog $first|" && fail "the entry of $first is still listed"
    list_entries | grep -qF "SetupLog $second|" || fail "the entry of $second went with $first"
    play <<SCRIPT
run $(q 'C:\') $(q "uninstaller --remove \"SetupLog $second\"")
page "Uninstall"
answer yes
page "Uninstall - Complete"
answer ok
settled
SCRIPT
    expect_drive_as "$OUT/drive-before.txt"
    [ "$(exact_dll)" = "$dll_before" ] || fail "the earlier library is not back as it was: $(exact_dll), not $dll_before"
    export_uninstall "$OUT/uninstall-after.txt"
    diff "$OUT/uninstall-before.txt" "$OUT/uninstall-after.txt" >"$OUT/uninstall-diff.txt" ||
        fail "the Uninstall key is not as before setup: $(tr '\n' ' ' <"$OUT/uninstall-diff.txt")"
done
