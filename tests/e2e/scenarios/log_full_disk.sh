# The disk that holds the setup log fills up while files are installed: a
# tmpfs of two pages at C:\windows\UnInstal, one of them taken. The line
# that does not fit whole is cut off again, and the setup ends right after
# that file with the "Setup Error" box: the log ends in a whole line and
# names every file on disk but the one in flight. Mounting needs root.
log_dir="$C_DRIVE/windows/UnInstal"
trap 'umount "$log_dir" 2>/dev/null; true' EXIT
umount "$log_dir" 2>/dev/null || true
clean_prefix 'C:\E2E\FullDisk'
mkdir -p "$log_dir"
if ! mount -t tmpfs -o size=8k tmpfs "$log_dir" 2>/dev/null; then
    scenario_skip "cannot mount a small file system here (needs root)"
fi
printf 'x' >"$log_dir/filler" # one page of the two

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

log="$log_dir/E2E Full Disk.log"
cp "$log" "$OUT/setup.log" 2>/dev/null
umount "$log_dir"
if [ ! -s "$OUT/setup.log" ]; then
    fail "no setup log"
else
    [ "$(tail -c 2 "$OUT/setup.log" | od -An -c | tr -d ' ')" = '\r\n' ] || fail "the log does not end in a whole line"
    grep -q $'[^\r]$' "$OUT/setup.log" && fail "the log has a line that does not end in CR LF"
    logged="$(tr -d '\r' <"$OUT/setup.log" | sed -n 's/^MkFile=.*\\\(file[0-9]*\.txt\)$/\1/p')"
    on_disk="$(ls "$(unix_of_dos "$dir")" | grep '^file' || true)"
    [ -n "$logged" ] || fail "no file was logged before the disk was full"
    [ "$(wc -l <<<"$logged")" -lt 40 ] || fail "every file was logged: the disk never filled up"
    for f in $logged; do
        grep -qxF "$f" <<<"$on_disk" || fail "the log names $f, which is not there"
    done
    unlogged="$(grep -vxF -f <(printf '%s\n' $logged) <<<"$on_disk" || true)"
    [ "$(grep -c . <<<"$unlogged")" -le 1 ] || fail "more than the file in flight is not in the log: $unlogged"
    echo "-- $(wc -l <<<"$logged") files logged, not logged: ${unlogged:-none}"
fi
