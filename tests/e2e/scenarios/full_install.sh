# A full installation of the sample application with every default: each
# page's caption and texts, then the files, the setup log, uninstal.bat and
# the shortcut; the help folder below the install directory is made and
# logged before its file.
sample="$SOURCE_DIR/examples/sample"
cp -r "$sample/setup.ini" "$sample/readme.txt" "$sample/help" "$sample/notes.ini" "$sample/notesdat.dat" "$SETUP_DIR/"
cp "$NOTES_EXE" "$SETUP_DIR/notes.exe"
clean_prefix 'C:\Program Files\Sample Notes' 'C:\windows\notes.ini' 'C:\windows\system32\notesdat.dat'
clean_programs 'Sample Notes'
welcome="This program will setup and install the Sample Notes application on your computer.  Sample Notes shows a short text: it is the application that demonstrates setup.exe.  You may abort the setup by pressing the Cancel button at any time.

Press the Next button below to continue..."
complete="The Sample Notes application has been installed.  If have problems or questions about the program:

     E-Mail: notes@example.com
     Web Site: http://www.example.com/notes/

Press the Finish button below to exit setup..."

play <<SCRIPT
start
page "Setup - Welcome"
background "setup"
owner "setup"
controls 3
text IDC_MAIN "Next >>"
text IDC_CANCEL "Cancel"
visible IDC_CANCEL yes
text IDC_TEXT $(q "$welcome")
shot welcome
click IDC_MAIN
closed

page "Setup - Select Directory"
owner "setup"
controls 6
text IDC_SELECT_TEXT "Select the destination directory where you wish to install the application."
text IDC_INSTALL_PATH $(q 'C:\Program Files\Sample Notes\')
class IDC_INSTALL_PATH Edit
text IDC_MAIN "Install >>"
text IDC_CANCEL "Cancel"
text IDC_BROWSE_DIR "Browse..."
shot select-directory
click IDC_MAIN
closed

page "Setup - Create Shortcut"
owner "setup"
controls 6
text IDC_SHORTCUT_TEXT "If you wish, you may create a shortcut for this application.  The default shortcut will be placed in a new folder in your Programs folder.  You can change the location of the shortcut by pressing the Browse button."
text IDC_SHORTCUT_FOLDER "Sample Notes"
text IDC_MAIN "Continue >>"
text IDC_SKIP_SHORTCUT "Skip"
text IDC_BROWSE_SHORTCUT "Browse..."
shot create-shortcut
click IDC_MAIN
closed

page "Setup - Complete"
owner "setup"
text IDC_MAIN "Finish"
visible IDC_CANCEL no
text IDC_TEXT $(q "$complete")
shot complete
click IDC_MAIN
closed
exit 0
SCRIPT

app='C:\Program Files\Sample Notes'
expect_same "$app\\notes.exe" notes.exe
expect_same "$app\\readme.txt" readme.txt
expect_same "$app\\help\\index.htm" help/index.htm
expect_same 'C:\windows\notes.ini' notes.ini
expect_same 'C:\windows\system32\notesdat.dat' notesdat.dat
folder="$PROGRAMS\\Sample Notes"
expect_log "Sample Notes" <<EOF
AppTitle=Sample Notes
EMail=notes@example.com
MkDir=C:\\windows\\UnInstal\\
MkFile=C:\\windows\\UnInstal\\Sample Notes.log
MkDir=$app
MkFile=$app\\uninstal.bat
MkFile=$app\\notes.exe
MkFile=$app\\readme.txt
MkDir=$app\\help
MkFile=$app\\help\\index.htm
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
