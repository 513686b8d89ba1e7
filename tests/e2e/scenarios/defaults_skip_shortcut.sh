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
clean_programs Unknown
clean_programs Unknown.lnk
welcome="This program will setup and install the Unknown application on your computer.  No description supplied  You may abort the setup by pressing the Cancel button at any time.

Press the Next button below to continue..."
complete="The Unknown application has been installed.  If have problems or questions about the program:

     E-Mail: none
     Web Site: none

Press the Finish button below to exit setup..."

play <<SCRIPT
start
page "Setup - Welcome"
background "setup"
text IDC_TEXT $(q "$welcome")
click IDC_MAIN
closed
page "Setup - Select Directory"
click IDC_MAIN
closed
page "Setup - Create Shortcut"
text IDC_SHORTCUT_FOLDER "Unknown"
click IDC_BROWSE_SHORTCUT
page "Browse for Folder"
owner "Setup - Create Shortcut"
shot browse-shortcut-folder
page "Setup - Create Shortcut"
enabled no
page "Browse for Folder"
tree-select-root
answer ok
page "Setup - Create Shortcut"
wait-text IDC_SHORTCUT_FOLDER ""
enabled yes
click IDC_SKIP_SHORTCUT
closed
page "Setup - Complete"
text IDC_TEXT $(q "$complete")
click IDC_MAIN
closed
exit 0
SCRIPT

expect_same 'C:\E2E\Defaults\a.txt' a.txt
expect_log "Unknown" <<'EOF'
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
# Skip on Create Shortcut makes no shortcut.
expect_absent "$PROGRAMS\\Unknown"
expect_absent "$PROGRAMS\\Unknown.lnk"
