# DLLs dropped beside setup.exe (a Downloads folder), into the current
# directory of the uninstaller (the install folder, where uninstal.bat runs)
# and beside uninstal.exe, with Wine told to take them before its own, as
# Windows takes any DLL that is no known DLL from the program's folder. The
# wizard with both Browse dialogs and a shortcut, /S, the uninstaller from
# uninstal.bat and with /S: no planted DllMain may run in setup.exe or
# uninstal.exe.
#
# Every DLL the programs load under Wine (WINEDEBUG=+loaddll) and what the
# test does with it:
#   plant  Windows would look for it outside the system directory: planted,
#          and preferred by Wine
#   known  a known DLL of Windows 10 or one that a known DLL imports:
#          Windows maps it from the system directory, whatever lies beside
#          the program; Wine knows no known DLLs and would take a planted
#          one before the program's first line runs, so it is not preferred
#   wine   loaded only by Wine's own DLLs, before the program's first line
# shellcheck disable=SC2034
DLL_TABLE='
comctl32     plant  the wizard progress bar: loaded at run time
uxtheme      plant  loaded by user32 for the first window
winex11.drv  plant  Wine display driver, loaded at run time by name
kernel32     known
kernelbase   known
msvcrt       known
ucrtbase     known
sechost      known
advapi32     known
user32       known
gdi32        known
win32u       known
imm32        known
rpcrt4       known
combase      known
ole32        known
shcore       known
shlwapi      known
shell32      known
zlib1        wine
version      wine   imported by the gdi32 and user32 of Wine, not of Windows
'
planted=()
while read -r name kind _; do
    [ "$kind" = plant ] && planted+=("$name")
done <<<"$DLL_TABLE"

# Copies of the planted DLL under every planted name into a folder, or
# (with rm) those copies out of it again.
plant_into() { # UNIX-DIR [rm]
    local name file
    for name in "${planted[@]}"; do
        file="$name"
        [[ "$name" == *.* ]] || file="$name.dll"
        if [ "${2:-}" = rm ]; then rm -f "$1/$file"; else cp "$PLANTED_DLL" "$1/$file"; fi
    done
}

write_ini <<'INI'
apptitle=E2E Planted
email=e2e@example.com
installpath=C:\E2E\Planted\Wizard
exename=app.txt
file=app.txt
INI
setup_file app.txt "the app"
stage_uninstaller
clean_prefix 'C:\E2E\Planted'
clean_programs 'E2E Planted'
plant_into "$SETUP_DIR"
markers="$OUT/markers"
mkdir -p "$markers"
export PLANTED_MARKERS PLANT_OVERRIDES
PLANTED_MARKERS="$(dos_of_unix "$markers")"
PLANT_OVERRIDES="$(IFS=,; echo "${planted[*]}")=n,b"

wizard='C:\E2E\Planted\Wizard'
play <<SCRIPT
start
page "Setup - Welcome"
click IDC_MAIN
closed
page "Setup - Select Directory"
click IDC_BROWSE_DIR
page "Browse for Folder"
answer ok
page "Setup - Select Directory"
type IDC_INSTALL_PATH $(q "$wizard")
click IDC_MAIN
closed
page "Setup - Create Shortcut"
click IDC_BROWSE_SHORTCUT
page "Browse for Folder"
answer ok
page "Setup - Create Shortcut"
click IDC_MAIN
closed
page "Setup - Complete"
click IDC_MAIN
closed
exit 0
SCRIPT
expect_same "$wizard\\app.txt" app.txt

silent='C:\E2E\Planted\Silent'
play <<SCRIPT
start $(q "/S /NOSHORTCUT /D=$silent")
quiet-exit 0
SCRIPT
expect_same "$silent\\app.txt" app.txt

# The uninstaller: from uninstal.bat in the install folder, and silently
# with the other install folder as its current directory. The planted files
# keep both folders, so something is always left (status 1).
uninstaller_dir="$C_DRIVE/windows/UnInstal"
plant_into "$(unix_of_dos "$wizard")"
plant_into "$(unix_of_dos "$silent")"
plant_into "$uninstaller_dir"
silent_log="$(tr -d '\r' <"$(unix_of_dos "$silent")/uninstal.bat" | sed -n 's/^".*" "\(.*\)"$/\1/p')"
play <<SCRIPT
run $(q "$wizard") "cmd /c uninstal.bat"
page "Uninstall"
answer yes
page "Uninstall - Complete"
answer ok
settled
run $(q "$silent") $(q "\"C:\\windows\\UnInstal\\uninstal.exe\" /S \"$silent_log\"")
quiet-exit 1
settled
SCRIPT
expect_absent "$silent\\app.txt"
plant_into "$uninstaller_dir" rm
unset PLANTED_MARKERS PLANT_OVERRIDES

ran=0
for marker in "$markers"/*.ran; do
    [ -e "$marker" ] || continue
    case "$(basename "$marker")" in
        setup.exe-* | uninstal.exe-*)
            fail "a planted DLL ran in $(basename "$marker" .ran | tr '-' ' '): $(cat "$marker")"
            ran=$((ran + 1))
            ;;
        *) echo "note: planted DLL ran in another program: $(basename "$marker" .ran)" ;;
    esac
done
echo "planted: ${planted[*]}; ran in setup or the uninstaller: $ran"
# The planted files keep both install folders and their logs: none of it is
# any later scenario's.
clean_prefix 'C:\E2E\Planted'
