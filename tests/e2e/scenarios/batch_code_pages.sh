# uninstal.bat under cmd, which reads a batch file in the OEM code page,
# where that is not the ANSI one of setup.ini and the setup log: German
# (1252 and 850) and Russian (1251 and 866). A stand-in uninstaller prints
# what cmd hands it: the log's name with its letters beyond ASCII as they
# are. A title with a character that the OEM code page lacks ("€" under 850)
# reaches it as the log's short name, and the real uninstaller removes the
# installation by that name.
for name in de_DE ru_RU; do
    locale -a 2>/dev/null | grep -qix "$name\.utf-\?8" ||
        scenario_skip "no locale $name.UTF-8 (scripts/install-deps.sh generates it)"
done
dir='C:\E2E\Code pages'
setup_file a.txt "a"

# Installs TITLE silently under LOCALE, runs uninstal.bat with the stand-in
# and leaves what it was handed, as UTF-8, in $argument.
install_and_run_batch() { # LOCALE ANSI-CODE-PAGE TITLE
    export LANG="$1" LC_ALL="$1"
    ANSI_CODE_PAGE="$2"
    clean_prefix "$dir"
    cp "$SHOW_ARGS_EXE" "$SETUP_DIR/uninstal.exe"
    iconv -f UTF-8 -t "CP$2" <<EOF | write_ini
apptitle=$3
installpath=$dir
file=a.txt
EOF
    play <<SCRIPT
start "/S /NOSHORTCUT"
quiet-exit 0
SCRIPT
    run_batch "$dir"
    argument="$(grep -a '^argument 1: ' "$OUT/batch.log" | iconv -f "CP$2" -t UTF-8)"
    ! grep -qa "^argument 2:" "$OUT/batch.log" || fail "the log name of '$3' reached the uninstaller split"
}

# Letters that the OEM code page holds: the log's own name.
for run in "de_DE.UTF-8 1252 Äcme Mälen für Kinder" "ru_RU.UTF-8 1251 Акме Мален для детей"; do
    read -r locale code_page title <<<"$run"
    install_and_run_batch "$locale" "$code_page" "$title"
    [ "$argument" = "argument 1: [UnInstal\\$title.log]" ] ||
        fail "under $locale cmd handed the uninstaller '$argument', not the log 'UnInstal\\$title.log'"
    expect_file "C:\\windows\\UnInstal\\$title.log"
done

# A character without an OEM form: the short name, which names the log.
install_and_run_batch de_DE.UTF-8 1252 "Prix 5 €"
short="$(printf '%s' "$argument" | sed -n 's/^argument 1: \[\(.*\)\]$/\1/p')"
case "$short" in
    C:\\*\\*\\*.LOG | C:\\*\\*\\*.log) ;;
    *) fail "the uninstaller was handed '$argument', not the log's short name" ;;
esac
if printf '%s' "$short" | LC_ALL=C grep -q '[^ -~]'; then
    fail "the short name '$short' holds letters beyond ASCII"
fi
cp "$UNINSTAL_EXE" "$(unix_of_dos 'C:\windows\UnInstal\uninstal.exe')"
play <<SCRIPT
run $(q 'C:\') $(q "\"C:\\windows\\UnInstal\\uninstal.exe\" /S \"$short\"")
quiet-exit 0
settled
SCRIPT
expect_absent "$dir\\a.txt"
expect_absent 'C:\windows\UnInstal\Prix 5 €.log'
clean_prefix "$dir"
