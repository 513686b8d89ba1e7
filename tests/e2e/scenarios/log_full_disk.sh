# The disk that holds the setup log fills up while files are installed: a
# tmpfs of two pages at C:\windows\UnInstal, one of them taken. The line
# that does not fit whole is cut off again, and the setup ends right after
# that file with the "Setup Error" box. The undo then removes, on the same
# full disk, every file the log names, the one in flight that it could not
# name, the folders and the log: C: is as before. Mounting needs root.
log_dir="$C_DRIVE/windows/UnInstal"
trap 'umount "$log_dir" 2>/dev/null; true' EXIT
umount "$log_dir" 2>/dev/null || true
clean_prefix 'C:\E2E\FullDisk'
mkdir -p "$log_dir"
if ! mount -t tmpfs -o size=8k tmpfs "$log_dir" 2>/dev/null; then
    scenario_skip "cannot mount a small file system here (needs root)"
fi
printf 'x' >"$log_dir/filler" # one page of the two
list_drive >"$OUT/drive-before.txt"

long="$(printf 'long directory name %.0s' 1 2 3 4 5 6 7)"
long="${long% }"
dir="C:\\E2E\\FullDisk\\$long"
{
    printf 'apptitle=E2E Full Disk\nemail=e2e@example.com\ninstallpath=%s\n' "$dir"
    for i in $(seq -w 1 40); do
        printf 'file=file%s.txt\n' "$i"
        printf 'file %s' "$i" >"$SETUP_DIR/file$i.txt"
    done
} >"$SETUP_DIR/setup.ini"

play <<SCRIPT
start
$TO_INSTALLING
page "Setup Error"
owner "Setup - Installing"
message $(q "$(setup_error_text "Error writing the setup log!" "Could not write to file!" e2e@example.com)")
answer ok
exit 0
SCRIPT

[ -e "$log_dir/E2E Full Disk.log" ] && fail "the setup log is still there"
expect_drive_as "$OUT/drive-before.txt"
umount "$log_dir"
expect_absent 'C:\E2E\FullDisk'
