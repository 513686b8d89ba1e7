# Shift-JIS names under code page 932 (Wine takes it from the Japanese
# locale): the second byte of "ソ" (0x83 0x5C) and "表" (0x95 0x5C) is a
# backslash to a byte-wise scan. The install path ends in such a byte, and so
# do the title (the shortcut's folder) and a file's name; everything must
# land where the names say. Wine keeps the names in UTF-8 on the Unix side.
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
ANSI_CODE_PAGE=932
iconv -f UTF-8 -t CP932 <<'EOF_INI' | write_ini
apptitle=E2E ソ表
email=e2e@example.com
installpath=C:\E2E\ソ表
exename=ソ表.txt
file=ソ表.txt
file=plain.txt
EOF_INI
setup_file 'ソ表.txt' "a double-byte name"
setup_file plain.txt "a plain name"
clean_prefix 'C:\E2E\ソ表'
clean_programs 'E2E ソ表'
before="$(ls -A "$C_DRIVE/E2E" | LC_ALL=C sort)"
stage_uninstaller
list_drive >"$OUT/drive-before.txt"

play <<SCRIPT
start
$TO_INSTALLING
$MAKE_SHORTCUT_TO_END
exit 0
SCRIPT

app='C:\E2E\ソ表'
expect_same "$app\\ソ表.txt" 'ソ表.txt'
expect_same "$app\\plain.txt" plain.txt
# Nothing made beside it, such as a directory cut inside a character.
after="$(ls -A "$C_DRIVE/E2E" | LC_ALL=C sort)"
[ "$after" = "$(printf '%s\n' "$before" 'ソ表' | grep -v '^$' | LC_ALL=C sort -u)" ] ||
    fail "C:\\E2E holds: $(tr '\n' ' ' <<<"$after")"
[ "$(ls -A "$(unix_of_dos "$app")" | tr '\n' ' ')" = "plain.txt uninstal.bat ソ表.txt " ] ||
    fail "$app holds: $(ls -A "$(unix_of_dos "$app")" | tr '\n' ' ')"
folder="$PROGRAMS\\E2E ソ表"
expect_log "E2E ソ表" <<EOF
AppTitle=E2E ソ表
EMail=e2e@example.com
MkDir=C:\\windows\\UnInstal\\
MkFile=C:\\windows\\UnInstal\\E2E ソ表.log
MkDir=$app
MkFile=$app\\uninstal.bat
MkFile=$app\\ソ表.txt
MkFile=$app\\plain.txt
MkDir=$folder
MkFile=$folder\\E2E ソ表.lnk
Needs=MkReg
MkReg=SetupLog E2E ソ表.log
EOF
expect_lines "$app\\uninstal.bat" <<'EOF'
rem This file uninstalls the E2E ソ表 application.  The uninstallation
rem may fail if the setup log has been moved or deleted since the setup.
"C:\windows\UnInstal\uninstal.exe" "UnInstal\E2E ソ表.log"
EOF
expect_shortcut "$folder\\E2E ソ表.lnk" "$app\\ソ表.txt" "$app\\" "E2E ソ表"

# And removed again by its uninstal.bat, run by cmd in the double-byte
# folder: the uninstaller must read those names as the setup wrote them.
iconv -f UTF-8 -t CP932 <<SCRIPT | play
run $(q "$app") "cmd /c uninstal.bat"
page "Uninstall"
answer yes
page "Uninstall - Complete"
answer ok
exit 0
settled
SCRIPT
expect_drive_as "$OUT/drive-before.txt"
