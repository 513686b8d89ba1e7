# The one uninstal.exe beside the logs, which every log shares, is replaced
# only by a newer one: a copy of the built uninstaller with a newer version
# in its resource stays when this (older) setup runs, and removes the
# installation; one with an older version is replaced. Then a log that needs
# a line type this uninstaller does not know is refused with nothing removed.

write_ini <<'INI'
apptitle=E2E Versions
email=e2e@example.com
installpath=C:\E2E\Versions
file=app.txt
INI
setup_file app.txt "the app"
stage_uninstaller
clean_prefix 'C:\E2E\Versions'
clean_programs 'E2E Versions'
rm -rf "$C_DRIVE/windows/UnInstal"
list_drive >"$OUT/drive-before.txt"
mkdir -p "$C_DRIVE/windows/UnInstal"
ours="$(versioned "$UNINSTAL_EXE" - "")"
major="${ours%%.*}"
there='C:\windows\UnInstal\uninstal.exe'
report="$(dos_of_unix "$OUT/report.txt")"

# A newer one there stays, and the report and the log say so.
versioned "$UNINSTAL_EXE" "$OUT/newer.exe" "$((major + 8)).0.0.0"
cp "$OUT/newer.exe" "$(unix_of_dos "$there")"
play <<SCRIPT
start $(q "/S /LOG=$report /NOSHORTCUT")
quiet-exit 0
SCRIPT
cmp -s "$OUT/newer.exe" "$(unix_of_dos "$there")" || fail "the newer uninstaller beside the logs was replaced"
kept="kept $there $((major + 8)).0.0.0: this setup's ($ours) is not newer"
tr -d '\r' <"$OUT/report.txt" | grep -qxF "uninstaller $kept" ||
    fail "the report does not say the newer uninstaller was kept: $(tr -d '\r' <"$OUT/report.txt" | tr '\n' '|')"
log="$(unix_of_dos 'C:\windows\UnInstal\E2E Versions.log')"
tr -d '\r' <"$log" | grep -qxF "; uninstaller $kept" || fail "the setup log does not say which uninstaller it has"
# It removes what this setup installed.
play <<SCRIPT
run $(q 'C:\') $(q "\"$there\" /S \"UnInstal\\E2E Versions.log\"")
quiet-exit 0
settled
SCRIPT
expect_absent 'C:\E2E\Versions'

# An older one there is replaced by this setup's.
versioned "$UNINSTAL_EXE" "$(unix_of_dos "$there")" "0.0.0.1"
play <<SCRIPT
start $(q "/S /LOG=$report /NOSHORTCUT")
quiet-exit 0
SCRIPT
cmp -s "$UNINSTAL_EXE" "$(unix_of_dos "$there")" || fail "the older uninstaller beside the logs was not replaced"
tr -d '\r' <"$OUT/report.txt" | grep -qxF "uninstaller replaced $there 0.0.0.1 by $ours" ||
    fail "the report does not say the older uninstaller was replaced: $(tr -d '\r' <"$OUT/report.txt" | tr '\n' '|')"
tr -d '\r' <"$log" | grep -q '^; uninstaller' && fail "the setup log names an uninstaller that is its own"
tr -d '\r' <"$log" | grep '^MkFile=' | tail -n 1 | grep -qxF 'MkFile=C:\E2E\Versions\app.txt' ||
    fail "the setup log does not name its file last"
# A log of a newer setup: refused whole, with exit status 2.
printf 'Needs=RegKey\r\nRegKey=HKLM\\Software\\E2E Versions\r\n' >>"$log"
cp "$log" "$OUT/needs.log"
play <<SCRIPT
run $(q 'C:\') $(q "\"$there\" /S \"UnInstal\\E2E Versions.log\"")
quiet-exit 2
settled
SCRIPT
expect_file 'C:\E2E\Versions\app.txt' "the app"
cmp -s "$OUT/needs.log" "$log" || fail "the refused log was changed"
# Without the line it needs, the same log is removed as before.
head -n -2 "$OUT/needs.log" >"$log"
play <<SCRIPT
run $(q 'C:\') $(q "\"$there\" /S \"UnInstal\\E2E Versions.log\"")
quiet-exit 0
settled
SCRIPT
expect_drive_as "$OUT/drive-before.txt"
