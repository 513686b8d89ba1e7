# setup.exe's resources as the program's pages rely on them: the strings, the
# two icon groups (16 colours), the Exit menu, the five dialog templates with
# every control's ID, class, text, rectangle and style (132 in the extended
# format), and the manifest's request for administrator rights. The
# expectation follows the page tables line by line (checked against them,
# not against setup.rc). windres stores a control's class name in capitals;
# Windows compares class names without regard to case.
play <<SCRIPT
resources
SCRIPT

sed -n '/^string 103/,/^manifest/p' "$OUT/driver.log" >"$OUT/resources.txt"
expected="$(cat <<'EOF'
string 103: "setup"
string 109: "SETUP"
icon 107: 32x32 16 colours 4 bits 16x16 16 colours 4 bits
icon 108: 16x16 16 colours 4 bits
menu 109: "&File" ["E&xit" 105]
template 129 DIALOG "Setup" 0,0,200,95 style WS_POPUP|WS_CAPTION|DS_SETFONT|DS_MODALFRAME|DS_CENTER ex 0 menu "" class "" font 8 "MS Sans Serif"
  1000 Button "Main" 143,74,50,14 WS_CHILD|WS_VISIBLE|WS_TABSTOP|BS_DEFPUSHBUTTON ex 0
  1001 Button "Cancel" 68,74,50,14 WS_CHILD|WS_VISIBLE|WS_TABSTOP|BS_PUSHBUTTON ex 0
  1002 Static "Label" 7,7,186,61 WS_CHILD|WS_VISIBLE|WS_GROUP|SS_LEFT ex 0
template 130 DIALOG "Setup - Select Directory" 0,0,200,95 style WS_POPUP|WS_CAPTION|DS_SETFONT|DS_MODALFRAME|DS_CENTER ex 0 menu "" class "" font 8 "MS Sans Serif"
  1000 Button "Install >>" 143,74,50,14 WS_CHILD|WS_VISIBLE|WS_TABSTOP|BS_DEFPUSHBUTTON ex 0
  1001 Button "Cancel" 25,74,50,14 WS_CHILD|WS_VISIBLE|WS_TABSTOP|BS_PUSHBUTTON ex 0
  1004 Static "Select the destination directory where you wish to install the application." 7,7,186,21 WS_CHILD|WS_VISIBLE|WS_GROUP|SS_LEFT ex 0
  -1 Static "Install To:" 17,43,32,8 WS_CHILD|WS_VISIBLE|WS_GROUP|SS_RIGHT ex 0
  1002 Button "Browse..." 84,74,50,14 WS_CHILD|WS_VISIBLE|WS_TABSTOP|BS_PUSHBUTTON ex 0
  1006 Edit "" 52,41,134,12 WS_CHILD|WS_VISIBLE|WS_BORDER|WS_TABSTOP|ES_AUTOHSCROLL ex 0
template 131 DIALOG "Setup - Installing" 0,0,200,95 style WS_POPUP|WS_CAPTION|DS_SETFONT|DS_MODALFRAME|DS_CENTER ex 0 menu "" class "" font 8 "MS Sans Serif"
  1001 Button "Cancel" 143,74,50,14 WS_CHILD|WS_VISIBLE|WS_TABSTOP|BS_PUSHBUTTON ex 0
  1002 Static "Installing Files..." 7,7,186,18 WS_CHILD|WS_VISIBLE|WS_GROUP|SS_LEFT ex 0
  1007 MSCTLS_PROGRESS32 "Progress1" 19,39,161,14 WS_CHILD|WS_VISIBLE|WS_BORDER ex 0
  1008 Static "File 0 of 0 (0% Done)" 27,54,144,9 WS_CHILD|WS_VISIBLE|WS_GROUP|SS_CENTER ex 0
  1009 Static "c:\test\" 28,26,144,9 WS_CHILD|WS_VISIBLE|WS_GROUP|SS_CENTER ex 0
template 132 DIALOGEX "Setup - Create Shortcut" 0,0,200,95 style WS_POPUP|WS_CAPTION|DS_SETFONT|DS_MODALFRAME|DS_CENTER ex 0 menu "" class "" font 8 weight 0 italic 0 charset 1 "MS Sans Serif"
  1000 Button "Continue >>" 143,74,50,14 WS_CHILD|WS_VISIBLE|WS_TABSTOP|BS_DEFPUSHBUTTON ex 0
  1013 Button "Skip" 25,74,50,14 WS_CHILD|WS_VISIBLE|WS_TABSTOP|BS_PUSHBUTTON ex 0
  1009 Static "If you wish, you may create a shortcut for this application.  The default shortcut will be placed in a new folder in your Programs folder.  You can change the location of the shortcut by pressing the Browse button." 7,7,186,33 WS_CHILD|WS_VISIBLE|WS_GROUP|SS_LEFT ex 0
  -1 Static "Add Shortcut In:" 7,51,52,8 WS_CHILD|WS_VISIBLE|WS_GROUP|SS_RIGHT ex 0
  1012 Button "Browse..." 84,74,50,14 WS_CHILD|WS_VISIBLE|WS_TABSTOP|BS_PUSHBUTTON ex 0
  1010 Edit "" 61,49,132,12 WS_CHILD|WS_VISIBLE|WS_BORDER|WS_TABSTOP|ES_AUTOHSCROLL ex 0
template 133 DIALOG "Setup - Warning" 0,0,235,101 style WS_POPUP|WS_CAPTION|DS_SETFONT|DS_MODALFRAME|DS_CENTER ex 0 menu "" class "" font 8 "MS Sans Serif"
  1015 Button "Skip" 92,80,50,14 WS_CHILD|WS_VISIBLE|WS_TABSTOP|BS_DEFPUSHBUTTON ex 0
  1016 Button "Overwrite" 157,80,50,14 WS_CHILD|WS_VISIBLE|WS_TABSTOP|BS_PUSHBUTTON ex 0
  -1 Static "Another version of the file:" 7,7,83,8 WS_CHILD|WS_VISIBLE|WS_GROUP|SS_LEFT ex 0
  1014 Static "c:\filename" 31,18,197,9 WS_CHILD|WS_VISIBLE|WS_GROUP|SS_LEFT ex 0
  -1 Static "already exists.  If the current file is overwritten, it may adversely affect the operation of existing programs." 7,31,221,16 WS_CHILD|WS_VISIBLE|WS_GROUP|SS_LEFT ex 0
  1017 Button "Abort Setup" 27,80,50,14 WS_CHILD|WS_VISIBLE|WS_TABSTOP|BS_PUSHBUTTON ex 0
  -1 Static "If it is not overwritten however, the current application being installed may not function correctly.  The safest option is to skip the installation of this file." 7,47,221,24 WS_CHILD|WS_VISIBLE|WS_GROUP|SS_LEFT ex 0
manifest: requireAdministrator
EOF
)"
if [ "$(cat "$OUT/resources.txt")" != "$expected" ]; then
    fail "the resources differ from the page tables:"
    diff <(printf '%s\n' "$expected") "$OUT/resources.txt" | sed 's/^/    /' || true
fi
