# Setup run twice in one setup directory, as a user repairs or upgrades (the
# second time with a newer readme, replaced by /S /REPLACE, and with a file
# more): one setup log names everything the installation owns, one entry
# stands in Apps & Features, and uninstal.bat in the install folder then
# removes it all. C: and the exported Uninstall key are as before setup.
# Then the same two runs, removed through the entry (uninstaller --remove).
sample="$SOURCE_DIR/examples/sample"
cp -r "$sample/setup.ini" "$sample/readme.txt" "$sample/help" "$sample/notes.ini" "$sample/notesdat.dat" "$SETUP_DIR/"
cp "$NOTES_EXE" "$SETUP_DIR/notes.exe"
stage_uninstaller
clean_prefix 'C:\Program Files\Sample Notes' 'C:\windows\notes.ini' 'C:\windows\system32\notesdat.dat'
clean_programs 'Sample Notes'
key='SetupLog Sample Notes.log'
clean_entry "$key"
list_drive >"$OUT/drive-before.txt"
export_uninstall "$OUT/uninstall-before.txt"
cp "$SETUP_DIR/setup.ini" "$OUT/setup.ini"
app='C:\Program Files\Sample Notes'

# Two runs: the first as shipped, the second an upgrade.
install_twice() {
    cp "$OUT/setup.ini" "$SETUP_DIR/setup.ini"
    cp "$sample/readme.txt" "$SETUP_DIR/readme.txt"
    play <<SCRIPT
start "/S"
quiet-exit 0
SCRIPT
    printf 'file=changes.txt\n' >>"$SETUP_DIR/setup.ini"
    setup_file changes.txt "what is new"
    printf 'and a longer read me\n' >>"$SETUP_DIR/readme.txt"
    play <<SCRIPT
start "/S /REPLACE"
quiet-exit 0
SCRIPT
    expect_absent 'C:\windows\UnInstal\Sample Notesa.log'
    expect_same "$app\\readme.txt" readme.txt
    expect_same "$app\\changes.txt" changes.txt
    [ "$(list_entries | grep -c "^$key|||Sample Notes$")" = 1 ] || fail "not one entry: $(list_entries | tr '\n' ' ')"
}

echo "-- twice, then uninstal.bat"
install_twice
play <<SCRIPT
run $(q "$app") "cmd /c uninstal.bat"
page "Uninstall"
answer yes
page "Uninstall - Shared File"
click IDC_SHARED_ALL
click IDC_REMOVE
closed
page "Uninstall - Complete"
answer ok
exit 0
settled
SCRIPT
expect_drive_as "$OUT/drive-before.txt"
list_entries | grep -qF "$key" && fail "the entry is still listed after uninstal.bat"
export_uninstall "$OUT/uninstall-after.txt"
diff "$OUT/uninstall-before.txt" "$OUT/uninstall-after.txt" >"$OUT/uninstall-diff.txt" ||
    fail "the Uninstall key is not as before setup: $(tr '\n' ' ' <"$OUT/uninstall-diff.txt")"

echo "-- twice, then the entry's removal"
install_twice
play <<SCRIPT
run $(q 'C:\') $(q "uninstaller --remove \"$key\"")
page "Uninstall"
answer yes
page "Uninstall - Shared File"
click IDC_SHARED_ALL
click IDC_REMOVE
closed
page "Uninstall - Complete"
answer ok
settled
SCRIPT
expect_drive_as "$OUT/drive-before.txt"
export_uninstall "$OUT/uninstall-after.txt"
diff "$OUT/uninstall-before.txt" "$OUT/uninstall-after.txt" >"$OUT/uninstall-diff.txt" ||
    fail "the Uninstall key is not as before setup: $(tr '\n' ' ' <"$OUT/uninstall-diff.txt")"
