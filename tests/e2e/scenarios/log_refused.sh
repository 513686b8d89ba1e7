# A setup that cannot keep its log installs nothing: the "Setup Error" box
# over the Installing page says the setup log could not be written, before
# any directory or file is made. Three ways: the log's name is taken by a
# directory; the log directory cannot be written (made immutable: the tests
# run as root, whom Unix permissions do not stop); all 26 names of the title
# are in use.
write_ini <<'EOF'
apptitle=E2E Log Refused
email=e2e@example.com
installpath=C:\E2E\LogRefused
file=a.txt
EOF
setup_file a.txt "a"
log_dir="$C_DRIVE/windows/UnInstal"
trap 'chattr -i "$log_dir" 2>/dev/null; true' EXIT
chattr -i "$log_dir" 2>/dev/null
clean_prefix 'C:\E2E\LogRefused'

refused_case() { # ERROR-TEXT
    play <<SCRIPT
start
$TO_INSTALLING
page "Setup Error"
owner "Setup - Installing"
message $(q "$(setup_error_text "Error writing the setup log!" "$1" e2e@example.com)")
answer ok
exit 0
SCRIPT
    expect_absent 'C:\E2E\LogRefused'
}

mkdir -p "$log_dir/E2E Log Refused.log"
refused_case "Failed to open file!"
[ -z "$(ls -A "$log_dir/E2E Log Refused.log")" ] || fail "something was written into the directory in the log's place"
rm -rf "$log_dir"

mkdir -p "$log_dir"
if chattr +i "$log_dir" 2>/dev/null; then
    refused_case "Failed to open file!"
    chattr -i "$log_dir"
    [ -z "$(ls -A "$log_dir")" ] || fail "the log directory that cannot be written holds something"
else
    echo "-- no immutable directories here (chattr): that case is left out"
fi
rm -rf "$log_dir"

mkdir -p "$log_dir"
for letter in '' a b c d e f g h i j k l m n o p q r s t u v w x y; do
    printf 'an earlier log' >"$log_dir/E2E Log Refused$letter.log"
done
refused_case "Error attempting to create a unique setup log filename!"
expect_file 'C:\windows\UnInstal\E2E Log Refusedy.log' "an earlier log"
expect_absent 'C:\windows\UnInstal\E2E Log Refusedz.log'
