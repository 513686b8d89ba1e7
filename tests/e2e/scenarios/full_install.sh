# A full installation of the sample application with every default: each
# page's caption and texts, then the files, the setup log, uninstal.bat and
# the shortcut.
sample="$SOURCE_DIR/examples/sample"
cp "$sample/setup.ini" "$sample/readme.txt" "$sample/notes.ini" "$sample/notesdat.dat" "$SETUP_DIR/"
cp "$NOTES_EXE" "$SETUP_DIR/notes.exe"
clean_prefix 'C:\Program Files\Sample Notes' 'C:\windows\notes.ini' 'C:\windows\system32\notesdat.dat'
rm -rf "$C_DRIVE"/users/*/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs/Sample\ Notes

play <<'SCRIPT'
start
page "Setup - Welcome"
background "setup"
owner "setup"
controls 3
text 1000 "Next >>"
text 1001 "Cancel"
visible 1001 yes
text 1002 "This program will setup and install the Sample Notes application on your computer.  Sample Notes shows a short text: it is the application that demonstrates setup.exe.  You may abort the setup by pressing the Cancel button at any time.\n\nPress the Next button below to continue..."
shot welcome
click 1000
closed

page "Setup - Select Directory"
owner "setup"
controls 6
text 1004 "Select the destination directory where you wish to install the application."
text 1006 "C:\\Program Files\\Sample Notes\\"
class 1006 Edit
text 1000 "Install >>"
text 1001 "Cancel"
text 1002 "Browse..."
shot select-directory
click 1000
closed

page "Setup - Create Shortcut"
owner "setup"
controls 6
text 1009 "If you wish, you may create a shortcut for this application.  The default shortcut will be placed in a new folder in your Programs folder.  You can change the location of the shortcut by pressing the Browse button."
text 1010 "Sample Notes"
text 1000 "Continue >>"
text 1013 "Skip"
text 1012 "Browse..."
shot create-shortcut
click 1000
closed

page "Setup - Complete"
owner "setup"
text 1000 "Finish"
visible 1001 no
text 1002 "The Sample Notes application has been installed.  If have problems or questions about the program:\n\n     E-Mail: notes@example.com\n     Web Site: http://www.example.com/notes/\n\nPress the Finish button below to exit setup..."
shot complete
click 1000
closed
exit 0
SCRIPT

app='C:\Program Files\Sample Notes'
expect_same "$app\\notes.exe" notes.exe
expect_same "$app\\readme.txt" readme.txt
expect_same 'C:\windows\notes.ini' notes.ini
expect_same 'C:\windows\system32\notesdat.dat' notesdat.dat
folder="$PROGRAMS\\Sample Notes"
expect_log "Sample Notes" <<EOF
; Setup log file for Sample Notes.  Required for the uninstall.
AppTitle=Sample Notes
EMail=notes@example.com
MkDir=C:\\windows\\UnInstal\\
MkFile=C:\\windows\\UnInstal\\Sample Notes.log
MkDir=$app
MkFile=$app\\uninstal.bat
MkFile=$app\\notes.exe
MkFile=$app\\readme.txt
MkFile=C:\\windows\\notes.ini
MkFile=C:\\windows\\system32\\notesdat.dat
MkDir=$folder
MkFile=$folder\\Sample Notes.lnk
EOF
expect_lines "$app\\uninstal.bat" <<'EOF'
rem This file uninstalls the Sample Notes application.  The uninstallation
rem may fail if the setup log has been moved or deleted since the setup.
"C:\windows\UnInstal\uninstal.exe" "UnInstal\Sample Notes.log"
EOF
expect_shortcut "$folder\\Sample Notes.lnk" "$app\\notes.exe" "$app\\" "Sample Notes"
for shot in welcome select-directory create-shortcut complete; do expect_screenshot "$shot"; done
