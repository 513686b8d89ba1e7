# A setup.ini with nothing but an install path and a file: every text shows
# its default. The shortcut browse opens at the Programs folder, owned by the
# page; choosing the Programs folder itself empties the field. Skip makes no
# shortcut and the Complete page follows.
write_ini <<'EOF'
installpath=C:\E2E\Defaults
file=a.txt
EOF
setup_file a.txt "a"
clean_prefix 'C:\E2E\Defaults'

play <<'SCRIPT'
start
page "Setup - Welcome"
background "setup"
text 1002 "This program will setup and install the Unknown application on your computer.  No description supplied  You may abort the setup by pressing the Cancel button at any time.\n\nPress the Next button below to continue..."
click 1000
closed
page "Setup - Select Directory"
click 1000
closed
page "Setup - Create Shortcut"
text 1010 "Unknown"
click 1012
page "Browse for Folder"
owner "Setup - Create Shortcut"
shot browse-shortcut-folder
page "Setup - Create Shortcut"
enabled no
page "Browse for Folder"
tree-select-root
answer ok
page "Setup - Create Shortcut"
wait-text 1010 ""
enabled yes
click 1013
closed
page "Setup - Complete"
text 1002 "The Unknown application has been installed.  If have problems or questions about the program:\n\n     E-Mail: none\n     Web Site: none\n\nPress the Finish button below to exit setup..."
click 1000
closed
exit 0
SCRIPT

expect_same 'C:\E2E\Defaults\a.txt' a.txt
expect_log "Unknown" <<'EOF'
; Setup log file for Unknown.  Required for the uninstall.
AppTitle=Unknown
EMail=none
MkDir=C:\windows\UnInstal\
MkFile=C:\windows\UnInstal\Unknown.log
MkDir=C:\E2E\Defaults
MkFile=C:\E2E\Defaults\uninstal.bat
MkFile=C:\E2E\Defaults\a.txt
EOF
expect_lines 'C:\E2E\Defaults\uninstal.bat' <<'EOF'
rem This file uninstalls the Unknown application.  The uninstallation
rem may fail if the setup log has been moved or deleted since the setup.
"C:\windows\UnInstal\uninstal.exe" "UnInstal\Unknown.log"
EOF
[ -z "$(ls "$C_DRIVE"/users/*/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs/ | grep -x -e Unknown -e 'Unknown.lnk')" ] ||
    fail "Skip on Create Shortcut made a shortcut"
