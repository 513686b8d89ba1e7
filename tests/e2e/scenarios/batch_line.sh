# The last line of uninstal.bat under cmd: the uninstaller's path and the log
# name stand in quotes with "%" doubled, so that a title with blanks, "&" or
# "%" reaches the uninstaller as one argument, exactly. A stand-in
# uninstal.exe prints what cmd handed it; cmd runs the batch file in the
# install directory, as a double click in Explorer would.
cp "$SHOW_ARGS_EXE" "$SETUP_DIR/uninstal.exe"
setup_file a.txt "a"
clean_prefix 'C:\E2E\Batch'

batch_case() { # TITLE NAME-IN-BATCH
    local title="$1" doubled="$2" dir="C:\\E2E\\Batch\\$1"
    write_ini <<EOF
apptitle=$title
email=e2e@example.com
installpath=$dir
file=a.txt
EOF
    play <<SCRIPT
start
$TO_INSTALLING
$SKIP_SHORTCUT_TO_END
exit 0
SCRIPT
    expect_lines "$dir\\uninstal.bat" <<EOF
rem This file uninstalls the $doubled application.  The uninstallation
rem may fail if the setup log has been moved or deleted since the setup.
"C:\\windows\\UnInstal\\uninstal.exe" "UnInstal\\$doubled.log"
EOF
    run_batch "$dir"
    # cmd echoes each line as it runs it: the title comes out as written.
    grep -qF "rem This file uninstalls the $title application." "$OUT/batch.log" ||
        fail "cmd did not show the first line with the title '$title'"
    grep -qxF "argument 1: [UnInstal\\$title.log]" "$OUT/batch.log" ||
        fail "the uninstaller did not get 'UnInstal\\$title.log' as its argument"
    ! grep -q "^argument 2:" "$OUT/batch.log" || fail "the log name of '$title' reached the uninstaller split"
    expect_file "C:\\windows\\UnInstal\\$title.log"
}

batch_case "Tom & Jerry" "Tom & Jerry"
batch_case "100% Tools" "100%% Tools"
