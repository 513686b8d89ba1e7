# The round trip a user makes: the sample application installed with every
# default and its shortcut, then removed through uninstal.bat in the install
# folder (cmd /c, as a double click runs it). The confirmation is answered
# Yes, the question about the first shared file Remove for all of them. The
# batch file and the folder that cmd holds go once cmd has ended, even
# while another process holds every name that a hand-over by name and
# process id could take. Then C:
# must be as it was before setup, but for the log directory with its
# uninstal.exe.
sample="$SOURCE_DIR/examples/sample"
cp -r "$sample/setup.ini" "$sample/readme.txt" "$sample/help" "$sample/notes.ini" "$sample/notesdat.dat" "$SETUP_DIR/"
cp "$NOTES_EXE" "$SETUP_DIR/notes.exe"
stage_uninstaller
clean_prefix 'C:\Program Files\Sample Notes' 'C:\windows\notes.ini' 'C:\windows\system32\notesdat.dat'
clean_programs 'Sample Notes'
list_drive >"$OUT/drive-before.txt"

app='C:\Program Files\Sample Notes'
removed="The Sample Notes application has been removed from your computer.

Still in use by the command window, and removed as soon as it closes:
     $app\\uninstal.bat
     $app"
play <<SCRIPT
start
$TO_INSTALLING
$MAKE_SHORTCUT_TO_END
exit 0
squat-handover
run $(q "$app") "cmd /c uninstal.bat"
page "Uninstall"
message "Do you really wish to remove the Sample Notes application and all of its components?"
default IDNO
shot uninstall-confirm
answer yes
page "Uninstall - Shared File"
text IDC_SHARED_PATH $(q '${system}\notesdat.dat')
default IDC_KEEP
shot uninstall-shared-file
click IDC_SHARED_ALL
click IDC_REMOVE
closed
page "Uninstall - Complete"
message $(q "$removed")
shot uninstall-complete
answer ok
exit 0
settled
SCRIPT

expect_drive_as "$OUT/drive-before.txt"
expect_absent 'C:\windows\UnInstal\Sample Notes.log'
expect_file 'C:\windows\UnInstal\uninstal.exe'
for shot in uninstall-confirm uninstall-shared-file uninstall-complete; do expect_screenshot "$shot"; done
