# The entry of a title with blanks, "&", "%" and double-byte characters
# under code page 932 (Wine takes it from the Japanese locale), where the
# second byte of "ソ" and "表" is 0x5C: one key of that name, listed by
# "uninstaller --list" with the title as written, removed by
# "uninstaller --remove" with the installation, after which C: and the
# exported Uninstall key are as before setup.
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
ANSI_CODE_PAGE=932
title='E2E ソ表 & 100%'
iconv -f UTF-8 -t CP932 <<EOF_INI | write_ini
apptitle=$title
email=e2e@example.com
installpath=C:\\E2E\\ソ表 & 100%
exename=ソ表.txt
file=ソ表.txt
EOF_INI
setup_file 'ソ表.txt' "a double-byte name"
stage_uninstaller
clean_prefix 'C:\E2E\ソ表 & 100%'
clean_programs "$title"
key="SetupLog $title.log"
clean_entry "$key"
list_drive >"$OUT/drive-before.txt"
export_uninstall "$OUT/uninstall-before.txt"

play <<SCRIPT
start "/S"
quiet-exit 0
SCRIPT
# Wine's programs write to a pipe in the console's code page.
"$WINE_RUN" uninstaller --list </dev/null 2>/dev/null | iconv -f CP932 -t UTF-8 | tr -d '\r' >"$OUT/list.txt"
grep -qxF "$key|||$title" "$OUT/list.txt" || fail "uninstaller --list does not show the entry: $(tr '\n' ' ' <"$OUT/list.txt")"
"$WINE_RUN" reg query "$UNINSTALL_KEY\\$key" </dev/null 2>&1 | iconv -f CP932 -t UTF-8 | tr -d '\r' >"$OUT/values.txt"
for value in "DisplayName    REG_SZ    $title" "InstallLocation    REG_SZ    C:\\E2E\\ソ表 & 100%\\" \
    "UninstallString    REG_SZ    \"C:\\windows\\UnInstal\\uninstal.exe\" \"C:\\windows\\UnInstal\\$title.log\"" \
    "DisplayIcon    REG_SZ    C:\\E2E\\ソ表 & 100%\\ソ表.txt,0"; do
    grep -qF -- "$value" "$OUT/values.txt" || fail "the entry lacks: $value"
done

iconv -f UTF-8 -t CP932 <<SCRIPT | play
run $(q 'C:\') $(q "uninstaller --remove \"$key\"")
page "Uninstall"
answer yes
page "Uninstall - Complete"
answer ok
settled
SCRIPT
"$WINE_RUN" uninstaller --list </dev/null 2>/dev/null | iconv -f CP932 -t UTF-8 | grep -qF "$key" &&
    fail "the entry is still listed after its removal"
expect_drive_as "$OUT/drive-before.txt"
export_uninstall "$OUT/uninstall-after.txt"
diff "$OUT/uninstall-before.txt" "$OUT/uninstall-after.txt" >"$OUT/uninstall-diff.txt" ||
    fail "the Uninstall key is not as before setup: $(tr '\n' ' ' <"$OUT/uninstall-diff.txt")"
