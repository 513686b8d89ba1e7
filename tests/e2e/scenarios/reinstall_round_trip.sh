# Setup run twice in one setup directory, as a user repairs or upgrades (the
# second time with a newer readme, replaced by /S /REPLACE or by Overwrite
# in the wizard, and with a file more): one setup log names everything the
# installation owns, one entry stands in Apps & Features, and uninstal.bat
# in the install folder, or the entry's removal (uninstaller --remove),
# then removes it all: C: and the exported Uninstall key are as before.
sample="$SOURCE_DIR/examples/sample"
cp -r "$sample/setup.ini" "$sample/readme.txt" "$sample/help" "$sample/notes.ini" "$sample/notesdat.dat" "$SETUP_DIR/"
cp "$NOTES_EXE" "$SETUP_DIR/notes.exe"
stage_uninstaller
clean_prefix 'C:\Program Files\Sample Notes' 'C:\windows\notes.ini' 'C:\windows\system32\notesdat.dat'
clean_programs 'Sample Notes'
key='SetupLog Sample Notes.log'
clean_entry "$key"
clean_entry 'SetupLog Sample Notesa.log' # a second installation, had a rerun made one
list_drive >"$OUT/drive-before.txt"
export_uninstall "$OUT/uninstall-before.txt"
cp "$SETUP_DIR/setup.ini" "$OUT/setup.ini"
app='C:\Program Files\Sample Notes'

# Two runs: the first as shipped, the second an upgrade, both silent (the
# second with /S /REPLACE) or both through the wizard (Overwrite answered).
install_twice() { # silent | wizard
    cp "$OUT/setup.ini" "$SETUP_DIR/setup.ini"
    cp "$sample/readme.txt" "$SETUP_DIR/readme.txt"
    if [ "$1" = silent ]; then
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
    printf 'file=changes.txt\n' >>"$SETUP_DIR/setup.ini"
    setup_file changes.txt "what is new"
    printf 'and a longer read me\n' >>"$SETUP_DIR/readme.txt"
    if [ "$1" = silent ]; then
        play <<SCRIPT
start "/S /REPLACE"
quiet-exit 0
SCRIPT
    else
        play <<SCRIPT
start
$TO_INSTALLING
page "Setup - Warning"
text IDC_OVERWRITE_PATH $(q "$app\\readme.txt")
click IDC_OVERWRITE_FILE
closed
$MAKE_SHORTCUT_TO_END
exit 0
SCRIPT
    fi
    expect_absent 'C:\windows\UnInstal\Sample Notesa.log'
    expect_same "$app\\readme.txt" readme.txt
    expect_same "$app\\changes.txt" changes.txt
    [ "$(list_entries | grep -c "^$key|||Sample Notes$")" = 1 ] || fail "not one entry: $(list_entries | tr '\n' ' ')"
}

# C: and the exported Uninstall key as before the first setup.
expect_as_before() {
    expect_drive_as "$OUT/drive-before.txt"
    list_entries | grep -qF "$key" && fail "the entry is still listed after the removal"
    export_uninstall "$OUT/uninstall-after.txt"
    diff "$OUT/uninstall-before.txt" "$OUT/uninstall-after.txt" >"$OUT/uninstall-diff.txt" ||
        fail "the Uninstall key is not as before setup: $(tr '\n' ' ' <"$OUT/uninstall-diff.txt")"
}

# The uninstaller's questions, whoever starts it: the file in the system
# directory is removed with the rest.
REMOVE_ALL='page "Uninstall"
answer yes
page "Uninstall - Shared File"
click IDC_SHARED_ALL
click IDC_REMOVE
closed
page "Uninstall - Complete"
answer ok'

for how in silent wizard; do
    echo "-- twice ($how), then uninstal.bat"
    install_twice "$how"
    play <<SCRIPT
run $(q "$app") "cmd /c uninstal.bat"
$REMOVE_ALL
exit 0
settled
SCRIPT
    expect_as_before
done

echo "-- twice (silent), then the entry's removal"
install_twice silent
play <<SCRIPT
run $(q 'C:\') $(q "uninstaller --remove \"$key\"")
$REMOVE_ALL
settled
SCRIPT
expect_as_before
