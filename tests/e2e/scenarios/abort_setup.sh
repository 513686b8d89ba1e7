# "Abort Setup" on the overwrite warning ends the setup like a confirmed
# Cancel, at the first file and at the last: setup undoes what it installed
# before, leaves the file in question as it was (bytes and time), and ends
# with status 0; C: is as before, but for the shared uninstaller. A file in
# use: after Overwrite, "Setup - File in Use" names it; Cancel there stops
# and undoes the same way. A silent /REPLACE over it waits a few seconds,
# then fails with status 2, says why in its report, and undoes too.
write_ini <<'EOF'
apptitle=E2E Abort Setup
email=e2e@example.com
installpath=C:\E2E\Abort
file=one.txt
file=two.txt
file=three.txt
EOF
setup_file one.txt "one"
setup_file two.txt "two, new and longer"
setup_file three.txt "three, new and longer"
stage_uninstaller
report="$(dos_of_unix "$OUT/report.txt")"

# C:\E2E\Abort with an earlier NAME.txt in it, of another time; the drive
# listed before setup runs.
earlier() { # NAME
    clean_prefix 'C:\E2E\Abort'
    mkdir -p "$(unix_of_dos 'C:\E2E\Abort')"
    printf '%s, old' "$1" >"$(unix_of_dos "C:\\E2E\\Abort\\$1.txt")"
    touch -d '2001-02-03 04:05:06' "$(unix_of_dos "C:\\E2E\\Abort\\$1.txt")"
    list_drive >"$OUT/drive-before.txt"
}

# The earlier NAME.txt untouched, nothing else of the setup left.
undone() { # NAME
    expect_file "C:\\E2E\\Abort\\$1.txt" "$1, old"
    [ "$(stat -c %Y "$(unix_of_dos "C:\\E2E\\Abort\\$1.txt")")" = "$(date -d '2001-02-03 04:05:06' +%s)" ] ||
        fail "$1.txt has another time"
    expect_absent 'C:\windows\UnInstal\E2E Abort Setup.log'
    expect_drive_as "$OUT/drive-before.txt"
}

for name in one three; do
    earlier "$name"
    play <<SCRIPT
start
$TO_INSTALLING
page "Setup - Warning"
text IDC_OVERWRITE_PATH $(q "C:\\E2E\\Abort\\$name.txt")
click IDC_ABORT_SETUP
exit 0
SCRIPT
    undone "$name"
done

# Another program holds two.txt open without sharing it.
earlier two
"$WINE_RUN" "$HOLD_FILE_EXE" 'C:\E2E\Abort\two.txt' 8000 </dev/null >"$OUT/hold.log" 2>&1 &
holder=$!
play <<SCRIPT
start
$TO_INSTALLING
page "Setup - Warning"
click IDC_OVERWRITE_FILE
page "Setup - File in Use"
owner "Setup - Installing"
message $(q 'The file C:\E2E\Abort\two.txt is in use by another program, and setup cannot replace it.

Close the program that uses it, then press Retry. Press Cancel to stop the setup and undo what it has installed.')
shot file-in-use
click IDCANCEL
exit 0
SCRIPT
undone two
wait "$holder"
expect_screenshot file-in-use

earlier two
"$WINE_RUN" "$HOLD_FILE_EXE" 'C:\E2E\Abort\two.txt' 8000 </dev/null >"$OUT/hold.log" 2>&1 &
holder=$!
sleep 2 # the holder has the file
rm -f "$OUT/report.txt"
play <<SCRIPT
start $(q "/S /REPLACE /NOSHORTCUT /LOG=$report")
quiet-exit 2
SCRIPT
undone two
wait "$holder"
lines="$(tr -d '\r' <"$OUT/report.txt")"
for line in 'in-use C:\E2E\Abort\two.txt: refused 10 time(s)' \
    'failed C:\E2E\Abort\two.txt: error 920: A destination file is in use by another program: close the program, then run setup again!' \
    'undone C:\E2E\Abort\one.txt' 'exit 2: the installation stopped part-way'; do
    grep -qxF -- "$line" <<<"$lines" || fail "the report lacks: $line"
done
