# The wizard clicked through on its default buttons and setup.exe /S report
# the same events in the same lines: a file created, one kept (the same
# size), one skipped (another size, the warning's default), and a shortcut
# whose folder does not fit below the Programs folder, which fails with its
# error code in both, and the undo of what was made. The wizard adds only
# the line of the box it showed.
title="$(printf 'A Title Too Long For A Shortcut Folder %.0s' 1 2 3 4 5 6)"
title="${title:0:200}"
app='C:\E2E\SameReport'
{
    echo "apptitle=$title"
    echo 'email=e2e@example.com'
    echo "installpath=$app"
    echo 'file=a.txt'
    echo 'file=b.txt'
    echo 'file=c.txt'
} | write_ini
setup_file a.txt "a"
setup_file b.txt "bee"
setup_file c.txt "the new sea"
report="$(dos_of_unix "$OUT/report.txt")"

# The same start for both runs: b.txt as it will be, c.txt in another version.
lay_out() {
    clean_prefix "$app"
    mkdir -p "$(unix_of_dos "$app")"
    printf 'bee' >"$(unix_of_dos "$app\\b.txt")"
    printf 'old sea' >"$(unix_of_dos "$app\\c.txt")"
    rm -f "$OUT/report.txt"
}

lay_out
play <<SCRIPT
start $(q "/LOG=$report")
$TO_INSTALLING
page "Setup - Warning"
default IDC_SKIP_FILE
click IDC_SKIP_FILE
closed
page "Setup - Create Shortcut"
click IDC_MAIN
page "Setup Error"
answer ok
exit 2
SCRIPT
# Without the command line, which differs, and the wizard's box.
grep -v '^box ' "$(unix_of_dos "$report")" | tail -n +2 >"$OUT/wizard.txt"
grep -q '^box Setup Error: Error creating application Shortcuts!: String bounds overflow!' "$(unix_of_dos "$report")" ||
    fail "the wizard's report has no line for its box"

lay_out
play <<SCRIPT
start $(q "/S /LOG=$report")
quiet-exit 2
SCRIPT
tail -n +2 "$(unix_of_dos "$report")" >"$OUT/silent.txt"
expect_lines "$(dos_of_unix "$OUT/silent.txt")" <<EOF
loaded setup.ini: $title, 3 files
log C:\\windows\\UnInstal\\$title.log
files 3 to install in $app\\
created $app\\a.txt
kept $app\\b.txt
skipped $app\\c.txt: error 910: Another version of one of the setup files was found!
failed shortcut: error 64: String bounds overflow!
undone $app\\a.txt
undone $app\\uninstal.bat
undone C:\\windows\\UnInstal\\$title.log
undone C:\\windows\\UnInstal\\
exit 2: the installation stopped part-way
EOF
cmp -s "$OUT/wizard.txt" "$OUT/silent.txt" ||
    fail "the wizard reports otherwise than /S: $(diff "$OUT/wizard.txt" "$OUT/silent.txt" | tr '\n' ' ')"
