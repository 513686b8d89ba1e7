# A title that Windows would not take as a file name: the log, the default
# shortcut folder and the shortcut take its file name (forbidden characters
# made "_", a device name such as NUL given a "_" in front), while the pages,
# the log's AppTitle line, uninstal.bat's first line and the shortcut's
# description keep the title as written.
title='AC/DC: Live?'
name='AC_DC_ Live_'
dir='C:\E2E\TitleName\Live'
setup_file a.txt "a"
clean_prefix 'C:\E2E\TitleName'
clean_programs "$name"
write_ini <<EOF
apptitle=$title
email=e2e@example.com
installpath=$dir
exename=a.txt
file=a.txt
EOF
play <<SCRIPT
start
page "Setup - Welcome"
text IDC_TEXT $(q "This program will setup and install the $title application on your computer.  No description supplied  You may abort the setup by pressing the Cancel button at any time.

Press the Next button below to continue...")
click IDC_MAIN
closed
page "Setup - Select Directory"
click IDC_MAIN
closed
page "Setup - Create Shortcut"
text IDC_SHORTCUT_FOLDER $(q "$name")
click IDC_MAIN
closed
page "Setup - Complete"
click IDC_MAIN
closed
exit 0
SCRIPT
folder="$PROGRAMS\\$name"
expect_log "$name" "$title" <<EOF
AppTitle=$title
EMail=e2e@example.com
MkDir=C:\\windows\\UnInstal\\
MkFile=C:\\windows\\UnInstal\\$name.log
MkDir=C:\\E2E\\TitleName
MkDir=$dir
MkFile=$dir\\uninstal.bat
MkFile=$dir\\a.txt
MkDir=$folder
MkFile=$folder\\$name.lnk
EOF
expect_lines "$dir\\uninstal.bat" <<EOF
rem This file uninstalls the $title application.  The uninstallation
rem may fail if the setup log has been moved or deleted since the setup.
"C:\\windows\\UnInstal\\uninstal.exe" "UnInstal\\$name.log"
EOF
expect_shortcut "$folder\\$name.lnk" "$dir\\a.txt" "$dir\\" "$title"

# NUL would open the device that swallows everything: the log is _Nul.log
# (a UnInstal directory that exists already gets no MkDir line).
dir='C:\E2E\TitleName\Device'
write_ini <<EOF
apptitle=Nul
installpath=$dir
file=a.txt
EOF
play <<SCRIPT
start
$TO_INSTALLING
page "Setup - Create Shortcut"
text IDC_SHORTCUT_FOLDER "_Nul"
click IDC_SKIP_SHORTCUT
closed
page "Setup - Complete"
click IDC_MAIN
closed
exit 0
SCRIPT
expect_log "_Nul" "Nul" <<EOF
AppTitle=Nul
EMail=none
MkFile=C:\\windows\\UnInstal\\_Nul.log
MkDir=$dir
MkFile=$dir\\uninstal.bat
MkFile=$dir\\a.txt
EOF
