# The wizard started with options: /D= fills Select Directory (blanks and
# all), a Cancel there ends with 2; an unknown option shows the usage box
# and ends with 3; /LOG= reports the wizard's run too.
write_ini <<'INI'
apptitle=E2E Wizard Options
installpath=C:\E2E\NotThis
file=a.txt
INI
setup_file a.txt "a"
clean_prefix 'C:\E2E\NotThis' 'C:\E2E\Options'
clean_programs 'E2E Wizard Options'
report="$(dos_of_unix "$OUT/report.txt")"

play <<SCRIPT
start $(q "/LOG=\"$report\" /D=\"C:\\E2E\\Options\\Shown Here\"")
page "Setup - Welcome"
click IDC_MAIN
closed
page "Setup - Select Directory"
text IDC_INSTALL_PATH $(q 'C:\E2E\Options\Shown Here\')
shot select-directory-from-option
click IDC_CANCEL
page "Cancel Setup"
answer yes
exit 2
SCRIPT
expect_absent 'C:\E2E\Options'
expect_lines "$report" <<EOF
setup /LOG="$report" /D="C:\\E2E\\Options\\Shown Here"
loaded setup.ini: E2E Wizard Options, 1 files
cancelled by the user
exit 2: the installation stopped part-way
EOF

# The same directory taken through to the end: 0; /NOSHORTCUT leaves out
# the Create Shortcut page.
play <<SCRIPT
start $(q '/NOSHORTCUT /D=C:\E2E\Options\Shown Here')
$TO_INSTALLING
page "Setup - Complete"
click IDC_MAIN
closed
exit 0
SCRIPT
expect_same 'C:\E2E\Options\Shown Here\a.txt' a.txt
expect_absent 'C:\E2E\NotThis'
expect_absent "$PROGRAMS\\E2E Wizard Options"

usage="Installs the application that setup.ini describes: the one in the current directory, else the one beside setup.exe.

setup.exe [/S] [/REPLACE] [/NOSHORTCUT]
[/LOG=FILE] [/D=DIR]

/S: silent, no windows and no questions; another version already there is kept.
/REPLACE: with /S, another version already there is replaced (an upgrade).
/NOSHORTCUT: no shortcut (else a silent run makes it in the Programs folder, in a folder named after the application).
/LOG=FILE: a report with one line per step.
/D=DIR: the install directory, a full path; the last option, up to the end of the line.
Quotes around a value are allowed.

Exit status: 0 installed, 1 setup.ini missing or refused or the directory refused, 2 the installation stopped part-way or was cancelled, 3 bad command line, 4 the setup package appended to setup.exe is damaged."
play <<SCRIPT
start "/quiet"
page "Setup - Usage"
no-background
message $(q "Unknown option: /quiet

$usage")
shot usage
answer ok
exit 3
SCRIPT
