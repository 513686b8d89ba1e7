# The round trip a user makes: the sample application installed with every
# default and its shortcut, then removed through uninstal.bat in the install
# folder (cmd /c, as a double click runs it). The confirmation is answered
# Yes, the question about the first shared file Remove for all of them. The
# batch file and the folder that cmd holds go once cmd has ended. Then C:
# must be as it was before setup, but for the log directory with its
# uninstal.exe.
sample="$SOURCE_DIR/examples/sample"
cp "$sample/setup.ini" "$sample/readme.txt" "$sample/notes.ini" "$sample/notesdat.dat" "$SETUP_DIR/"
cp "$NOTES_EXE" "$SETUP_DIR/notes.exe"
stage_uninstaller
clean_prefix 'C:\Program Files\Sample Notes' 'C:\windows\notes.ini' 'C:\windows\system32\notesdat.dat'
rm -rf "$C_DRIVE"/users/*/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs/Sample\ Notes
list_drive >"$OUT/drive-before.txt"

app='C:\\Program Files\\Sample Notes'
play <<SCRIPT
start
$TO_INSTALLING
page "Setup - Create Shortcut"
click 1000
closed
page "Setup - Complete"
click 1000
closed
exit 0
run "$app" "cmd /c uninstal.bat"
page "Uninstall"
message "Do you really wish to remove the Sample Notes application and all of its components?"
default 7
shot uninstall-confirm
answer yes
page "Uninstall - Shared File"
text 1001 "\${system}\\\\notesdat.dat"
default 1003
shot uninstall-shared-file
click 1002
click 1004
closed
page "Uninstall - Complete"
message "The Sample Notes application has been removed from your computer.\n\nStill in use by the command window, and removed as soon as it closes:\n     $app\\\\uninstal.bat\n     $app"
shot uninstall-complete
answer ok
exit 0
SCRIPT

wine_settle
expect_drive_as "$OUT/drive-before.txt"
expect_absent 'C:\windows\UnInstal\Sample Notes.log'
expect_file 'C:\windows\UnInstal\uninstal.exe'
for shot in uninstall-confirm uninstall-shared-file uninstall-complete; do expect_screenshot "$shot"; done
