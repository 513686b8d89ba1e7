# A title that Windows would not take as a file name: the log, the default
# shortcut folder and the shortcut take its file name (forbidden characters
# made "_", a device name such as NUL given a "_" in front), while the pages,
# the log's AppTitle line, uninstal.bat's first line and the shortcut's
# description keep the title as written.
setup_file a.txt "a"
clean_prefix 'C:\E2E\TitleName'
programs_dir=("$C_DRIVE"/users/*/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs)
rm -rf "${programs_dir[@]/%//AC_DC_ Live_}"

title='AC/DC: Live?'
name='AC_DC_ Live_'
dir='C:\E2E\TitleName\Live'
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
text 1002 $(q "This program will setup and install the $title application on your computer.  No description supplied  You may abort the setup by pressing the Cancel button at any time.

Press the Next button below to continue...")
click 1000
closed
page "Setup - Select Directory"
click 1000
closed
page "Setup - Create Shortcut"
text 1010 $(q "$name")
click 1000
closed
page "Setup - Complete"
click 1000
closed
exit 0
SCRIPT
folder="$PROGRAMS\\$name"
expect_log "$name" <<EOF
; Setup log file for $title.  Required for the uninstall.
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
text 1010 "_Nul"
click 1013
closed
page "Setup - Complete"
click 1000
closed
exit 0
SCRIPT
expect_log "_Nul" <<EOF
; Setup log file for Nul.  Required for the uninstall.
AppTitle=Nul
EMail=none
MkFile=C:\\windows\\UnInstal\\_Nul.log
MkDir=$dir
MkFile=$dir\\uninstal.bat
MkFile=$dir\\a.txt
EOF
