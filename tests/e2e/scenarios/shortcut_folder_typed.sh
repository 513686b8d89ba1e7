# Create Shortcut takes only a folder inside the Programs folder, under a name
# that Windows keeps as written: one that climbs out of Programs or ends in a
# dot asks again with a warning, and the page stays; an ordinary folder then
# gets the shortcut.
write_ini <<'EOF2'
apptitle=E2E Typed Folder
installpath=C:\E2E\TypedFolder\App
file=a.txt
EOF2
setup_file a.txt "a"
clean_prefix 'C:\E2E\TypedFolder'
clean_programs "Probe Three"
clean_programs "Probe Four"
warning='Please enter a folder inside the Programs folder: without a drive, a leading backslash or "..", and without names that Windows changes or reserves, such as a trailing dot or NUL.'

play <<SCRIPT
start
$TO_INSTALLING
page "Setup - Create Shortcut"
type IDC_SHORTCUT_FOLDER $(q '..\..\..\..\..\..\..\..\..\E2E\TypedFolder\Escaped')
click IDC_MAIN
page "Setup Warning"
owner "Setup - Create Shortcut"
message $(q "$warning")
answer ok
page "Setup - Create Shortcut"
type IDC_SHORTCUT_FOLDER $(q 'Probe Three.')
click IDC_MAIN
page-new "Setup Warning"
answer ok
page "Setup - Create Shortcut"
type IDC_SHORTCUT_FOLDER $(q 'Probe Four')
click IDC_MAIN
closed
page "Setup - Complete"
click IDC_MAIN
closed
exit 0
SCRIPT

expect_absent 'C:\E2E\TypedFolder\Escaped'
expect_log "E2E Typed Folder" "E2E Typed Folder" <<EOF
AppTitle=E2E Typed Folder
EMail=none
MkDir=C:\\windows\\UnInstal\\
MkFile=C:\\windows\\UnInstal\\E2E Typed Folder.log
MkDir=C:\\E2E\\TypedFolder
MkDir=C:\\E2E\\TypedFolder\\App
MkFile=C:\\E2E\\TypedFolder\\App\\uninstal.bat
MkFile=C:\\E2E\\TypedFolder\\App\\a.txt
MkDir=$PROGRAMS\\Probe Four
MkFile=$PROGRAMS\\Probe Four\\E2E Typed Folder.lnk
EOF
