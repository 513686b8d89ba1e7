# Links under the install folder, made on the Unix side: Wine 8 makes no
# junction or symbolic link itself, but shows a link to a folder as a
# reparse point. setup.exe /S copies nothing through a link in the way of
# its install folder; the uninstaller removes nothing through one that took
# a folder's place after the setup, reports those entries as unsafe, and
# leaves what the link points at as it was.
write_ini <<'INI'
apptitle=E2E Links
email=e2e@example.com
installpath=C:\E2E\Links\App
exename=app.txt
file=app.txt
INI
setup_file app.txt "the app"
stage_uninstaller
clean_prefix 'C:\E2E\Links' 'C:\E2E\Victim'
links="$C_DRIVE/E2E/Links"
victim="$C_DRIVE/E2E/Victim"
# What the link points at: the names of the installation, someone else's.
put_victim() {
    rm -rf "$victim"
    mkdir -p "$victim"
    printf 'not yours' >"$victim/app.txt"
    printf 'not yours' >"$victim/uninstal.bat"
}
expect_victim_whole() {
    [ "$(cat "$victim/app.txt" 2>&1)" = "not yours" ] || fail "the link's target app.txt changed or went"
    [ "$(cat "$victim/uninstal.bat" 2>&1)" = "not yours" ] || fail "the link's target uninstal.bat changed or went"
    [ "$(find "$victim" -mindepth 1 | wc -l)" -eq 2 ] || fail "the link's target holds more: $(ls "$victim")"
}

# The install folder is a link before setup runs: refused before any copy.
put_victim
mkdir -p "$links"
ln -s ../Victim "$links/App"
report="$(dos_of_unix "$OUT/report.txt")"
play <<SCRIPT
start $(q "/S /NOSHORTCUT /LOG=$report")
quiet-exit 2
SCRIPT
expect_victim_whole
grep -qF "A destination folder is a junction or symbolic link that setup did not create: no file is copied through it!" \
    "$OUT/report.txt" || fail "the report does not say why: $(cat "$OUT/report.txt")"

# Installed into real folders; then the install folder becomes a link.
clean_prefix 'C:\E2E\Links'
play <<SCRIPT
start "/S /NOSHORTCUT"
quiet-exit 0
SCRIPT
expect_same 'C:\E2E\Links\App\app.txt' app.txt
rm -rf "$links/App"
ln -s ../Victim "$links/App"
unsafe="(skipped as unsafe: a junction or symbolic link)"
play <<SCRIPT
run $(q 'C:\') $(q '"C:\windows\UnInstal\uninstal.exe" "UnInstal\E2E Links.log"')
page "Uninstall"
answer yes
page "Uninstall - Complete"
message $(q "The E2E Links application has been removed, except for these items:
     MkFile=C:\\E2E\\Links\\App\\app.txt  $unsafe
     MkFile=C:\\E2E\\Links\\App\\uninstal.bat  $unsafe
     MkDir=C:\\E2E\\Links\\App  $unsafe
     C:\\E2E\\Links  (not empty)

The setup log C:\\windows\\UnInstal\\E2E Links.log now names only what remains: run the uninstaller again to remove it later.")
answer ok
exit 1
SCRIPT
expect_victim_whole
[ -L "$links/App" ] || fail "the link itself went"
rm -rf "$links" "$victim" "$C_DRIVE/windows/UnInstal/E2E Links.log"
