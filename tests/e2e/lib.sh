# Helpers of the end-to-end scenarios (sourced by run-scenario.sh).
#
# A scenario writes its setup.ini and files into $SETUP_DIR, plays a driver
# script, and checks the outcome with the expect_* helpers. Every check that
# fails is reported; the scenario fails when any did.
#
# Backslashes. A DOS path or a text is written as Windows shows it, with
# single backslashes, wherever the shell leaves it alone: in single quotes
# ('C:\E2E\Abort') and in heredocs with a quoted delimiter (<<'EOF'). Where
# the shell expands values (double quotes, heredocs with a bare delimiter),
# it takes "\\" for one backslash, so there each one is doubled:
# "$app\\notes.exe".
#
# Driver scripts are heredocs with a bare delimiter (play <<SCRIPT), so that
# $TO_INSTALLING and the scenario's values go in. A quoted word of a script
# that holds a backslash, a double quote or a line break is always written
# $(q TEXT), with TEXT quoted as above; nothing is escaped for the driver by
# hand; other quoted words are plain: page "Setup - Welcome". The driver's
# folder names go into single quotes inside q:
#     text IDC_OVERWRITE_PATH $(q 'C:\E2E\Abort\two.txt')
#     run $(q "$app") "cmd /c uninstal.bat"
#     text IDC_SHARED_PATH $(q '${system}\notesdat.dat')
# Control IDs are written by their names in wizard/resource.h and
# uninstall/resource.h (click IDC_MAIN), message box buttons as IDYES, IDNO.

: "${SOURCE_DIR:=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}"
: "${WINEPREFIX:=${TMPDIR:-/tmp}/setup-wine-$(id -u)}"
export WINEPREFIX WINEDEBUG=-all
WINE_RUN="$SOURCE_DIR/tests/wine-run.sh"
failures=0

# C:\ of the Wine prefix.
C_DRIVE=""
# The Programs folder of the start menu (a DOS path), as the driver reports it.
PROGRAMS=""
# The ANSI code page setup.exe writes its texts in, when a scenario runs it
# under a locale of a double-byte one (932): the checks read the setup log,
# uninstal.bat and the shortcut in it. Empty: compared byte for byte.
ANSI_CODE_PAGE=""

# A text file of setup.exe as UTF-8.
ansi_text() { # FILE
    if [ -n "$ANSI_CODE_PAGE" ]; then
        iconv -f "CP$ANSI_CODE_PAGE" -t UTF-8 <"$1"
    else
        cat "$1"
    fi
}

scenario_start() {
    SCENARIO="$1"
    OUT="$E2E_OUT/$SCENARIO"
    SETUP_DIR="$OUT/setup"
    SHOTS="$E2E_OUT/screenshots/$SCENARIO"
    rm -rf "$OUT" "$SHOTS"
    mkdir -p "$SETUP_DIR" "$SHOTS"
    cp "$SETUP_EXE" "$SETUP_DIR/setup.exe"
    # Makes the prefix (once per test run), so that its drive exists, and
    # learns where Wine keeps the Programs folder.
    "$WINE_RUN" "$DRIVER_EXE" --folders >"$OUT/folders.txt" 2>&1 </dev/null
    PROGRAMS="$(tr -d '\r' <"$OUT/folders.txt" | sed -n 's/^programs=//p')"
    C_DRIVE="$WINEPREFIX/dosdevices/c:"
    if [ -z "$PROGRAMS" ]; then
        echo "FAIL: the driver did not report the Programs folder:"
        cat "$OUT/folders.txt"
        exit 1
    fi
    # Scenarios install below C:\E2E, which is always there: their logs
    # name exactly the directories that the scenario's own paths add.
    mkdir -p "$C_DRIVE/E2E"
    echo "== scenario $SCENARIO"
}

scenario_end() {
    if [ "$failures" -ne 0 ]; then
        echo "== $SCENARIO: $failures check(s) failed"
        exit 1
    fi
    echo "== $SCENARIO: passed"
    exit 0
}

# Ends the scenario as skipped (ctest's SKIP_RETURN_CODE) when the machine
# lacks what it needs; checks that already failed still fail it.
scenario_skip() { # REASON
    [ "$failures" -eq 0 ] || scenario_end
    echo "== $SCENARIO: skipped: $1"
    exit 77
}

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# Z:\ path of a Unix path, as Wine sees it.
dos_of_unix() {
    local p="$1"
    printf 'Z:%s' "${p//\//\\}"
}

# Unix path of a DOS path on C: (or Z:), as Wine maps it.
unix_of_dos() {
    local p="$1" rest
    rest="${p:2}"
    rest="${rest//\\//}"
    case "${p:0:2}" in
        [Cc]:) printf '%s%s' "$C_DRIVE" "$rest" ;;
        [Zz]:) printf '%s' "$rest" ;;
        *) printf '/nonexistent/%s' "$p" ;;
    esac
}

# Removes what an earlier run of the same scenario left in the prefix: the
# given DOS paths, and the whole log directory C:\windows\UnInstal (every
# setup log, and the uninstal.exe beside them).
clean_prefix() {
    local p
    for p in "$@"; do
        rm -rf "$(unix_of_dos "$p")"
    done
    rm -rf "$C_DRIVE/windows/UnInstal"
    return 0
}

# Removes an entry (a folder or a shortcut) of the Programs folder that an
# earlier run left.
clean_programs() { # NAME
    rm -rf "$(unix_of_dos "$PROGRAMS\\$1")"
    return 0
}

# setup.ini from standard input.
write_ini() {
    cat >"$SETUP_DIR/setup.ini"
    return 0
}

# A file of the setup directory with the given content.
setup_file() {
    mkdir -p "$(dirname "$SETUP_DIR/$1")"
    printf '%s' "$2" >"$SETUP_DIR/$1"
    return 0
}

# Plays the driver script from standard input against setup.exe (in
# $SETUP_DIR, or $SETUP_PROGRAM when set), started in $SETUP_DIR. The
# transcripts of all plays are in $OUT/driver.log. Wine hands a program's
# standard error on to every program started below it, the desktop's
# explorer among them, which stays a second after the last window: with a
# file there, the transcript's pipe ends with the driver.
play() {
    local status attempt
    cat >"$OUT/script.txt"
    for attempt in 1 2; do
        echo "-- driver"
        "$WINE_RUN" "$DRIVER_EXE" --setup "$(dos_of_unix "${SETUP_PROGRAM:-$SETUP_DIR/setup.exe}")" \
            --dir "$(dos_of_unix "$SETUP_DIR")" --script "$(dos_of_unix "$OUT/script.txt")" \
            --shots "$SHOTS" </dev/null 2>>"$OUT/driver-stderr.log" | tr -d '\r' | tee "$OUT/play.log"
        status=${PIPESTATUS[0]}
        cat "$OUT/play.log" >>"$OUT/driver.log"
        # The driver's first lines come before any step; without them it
        # never started (Wine itself failed once under load), and nothing of
        # the script has run, so it may start again. Any other failure counts.
        if [ "$status" -eq 0 ] || grep -q '^programs=' "$OUT/play.log"; then
            break
        fi
        echo "-- the driver did not start (status $status)"
    done
    if [ "$status" -ne 0 ]; then
        fail "the driver's script failed (status $status)"
        tail -n 20 "$OUT/driver-stderr.log" | sed 's/^/    stderr: /'
    fi
    return 0
}

# ---- checks; each takes DOS paths

expect_file() { # PATH [CONTENT]
    local f
    f="$(unix_of_dos "$1")"
    if [ ! -f "$f" ]; then
        fail "missing file $1"
    elif [ $# -ge 2 ] && [ "$(cat "$f")" != "$2" ]; then
        fail "$1 holds '$(cat "$f")', expected '$2'"
    fi
    return 0
}

expect_same() { # PATH SETUP-FILE: the installed file is the setup directory's
    local f
    f="$(unix_of_dos "$1")"
    if [ ! -f "$f" ]; then
        fail "missing file $1"
    elif ! cmp -s "$f" "$SETUP_DIR/$2"; then
        fail "$1 differs from the setup directory's $2"
    fi
    return 0
}

expect_absent() { # PATH
    [ ! -e "$(unix_of_dos "$1")" ] || fail "$1 exists, but should not"
    return 0
}

expect_dir() { # PATH
    [ -d "$(unix_of_dos "$1")" ] || fail "missing directory $1"
    return 0
}

# The text file's lines, CR LF ended as Windows writes text, against stdin.
expect_lines() { # PATH
    local f expected actual
    f="$(unix_of_dos "$1")"
    expected="$(cat)"
    if [ ! -f "$f" ]; then
        fail "missing file $1"
        return
    fi
    if grep -q $'[^\r]$' "$f" || [ -n "$(tail -c 1 "$f" | tr -d '\n')" ]; then
        fail "$1 has lines that do not end in CR LF"
    fi
    actual="$(ansi_text "$f" | tr -d '\r')"
    if [ "$actual" != "$expected" ]; then
        fail "$1 differs:"
        diff <(printf '%s\n' "$expected") <(printf '%s\n' "$actual") | sed 's/^/    /'
    fi
    return 0
}

# The first line of a setup log.
log_header() { # TITLE
    printf '; Setup log file for %s.  Required for the uninstall.\n' "$1"
}

# The setup log NAME.log (the title made a file name, without a letter)
# against its header line for TITLE (NAME when not given) and then stdin.
expect_log() { # NAME [TITLE]
    local body
    body="$(cat)"
    expect_lines "C:\\windows\\UnInstal\\$1.log" <<<"$(log_header "${2:-$1}")
$body"
    return 0
}

# The shortcut's properties as lnkinfo reads them.
expect_shortcut() { # LINK-PATH TARGET WORKING-DIR DESCRIPTION
    local f info
    f="$(unix_of_dos "$1")"
    if [ ! -f "$f" ]; then
        fail "missing shortcut $1"
        return
    fi
    info="$(lnkinfo ${ANSI_CODE_PAGE:+-c "windows-$ANSI_CODE_PAGE"} "$f" 2>&1)"
    printf '%s\n' "$info" >"$OUT/shortcut.txt"
    grep -qxF "	Local path			: $2" <<<"$info" || fail "shortcut target is not $2: $(grep -i 'local path' <<<"$info")"
    grep -qxF "	Working directory		: $3" <<<"$info" || fail "shortcut working directory is not $3: $(grep -i 'working' <<<"$info")"
    grep -qxF "	Description			: $4" <<<"$info" || fail "shortcut description is not $4: $(grep -i 'description' <<<"$info")"
    return 0
}

expect_screenshot() { # NAME
    [ -s "$SHOTS/$1.png" ] || fail "no screenshot $1.png"
    return 0
}

# A text as one quoted word of a driver script.
q() {
    local t="$1"
    t="${t//\\/\\\\}"
    t="${t//\"/\\\"}"
    t="${t//$'\n'/\\n}"
    printf '"%s"' "$t"
}

# The "Setup Error" box's text for a detail and an error message; the
# contact line only with an address ("none" is none).
setup_error_text() { # DETAIL ERROR EMAIL
    local contact=""
    [ "$3" = none ] || contact="  For assistance you may contact:"$'\n'"          $3"
    printf '%s\n     Reported Error: %s\n\nThe setup program has been halted by an error.%s\n\nAborting Setup...' \
        "$1" "$2" "$contact"
}

# Runs the install directory's uninstal.bat as a user would, with cmd in that
# directory, and keeps what it printed in $OUT/batch.log (CR removed).
run_batch() { # INSTALL-DIR
    (cd "$(unix_of_dos "$1")" && "$WINE_RUN" cmd /c uninstal.bat </dev/null 2>&1) | tr -d '\r' >"$OUT/batch.log"
    sed 's/^/    | /' "$OUT/batch.log"
    return 0
}

# ---- round trips: install, remove, and compare the drive

# Every file (with its size) and every directory of C:, one per line,
# sorted: what a removal must leave as setup found it. The unit suite's
# scratch folders are left out: the files it scheduled for removal at
# restart go whenever Wine next starts up afresh, which may be mid-scenario.
list_drive() {
    (cd "$C_DRIVE" && find . -mindepth 1 \( -path './users/*/Temp/setup-unit-*' -o -path './windows/temp/setup-unit-*' \) -prune -o \
        \( -type f -printf 'f %P %s\n' \) -o \( -type d -printf 'd %P\n' \) -o -printf '%y %P\n' | LC_ALL=C sort)
}

# C: against a listing taken before setup: equal, apart from the log
# directory with its uninstal.exe (which every log shares) and the given
# paths (relative to C:, with "/"), which the scenario checks itself.
expect_drive_as() { # LISTING [PATH...]
    local before="$1" now="$OUT/drive-now.txt" differences
    shift
    list_drive >"$now"
    differences="$(diff "$before" "$now" | grep '^[<>]' |
        grep -vxF -e '> d windows/UnInstal' -e "> f windows/UnInstal/uninstal.exe $(stat -c %s "$UNINSTAL_EXE")" |
        while IFS= read -r line; do
            local p skip=0 path="${line#[<>] [a-z] }"
            [ "${line:2:1}" = f ] && path="${path% *}" # without the size
            for p in "$@"; do
                [ "$path" = "$p" ] && skip=1
            done
            [ "$skip" -eq 1 ] || printf '%s\n' "$line"
        done)"
    if [ -n "$differences" ]; then
        fail "C: is not as before setup (< before, > now):"
        printf '%s\n' "$differences" | sed 's/^/    /'
    fi
    return 0
}

# Puts uninstal.exe into the setup directory, so that setup copies it next
# to the log.
stage_uninstaller() {
    cp "$UNINSTAL_EXE" "$SETUP_DIR/uninstal.exe"
}

# A program's file version (the fixed part after "VS_VERSION_INFO" in its
# version resource) printed, or with a version given, a copy of it at DEST
# that differs in that alone.
versioned() { # SOURCE DEST MAJOR.MINOR.BUILD.REVISION (or "" to read SOURCE's)
    python3 - "$@" <<'PY'
import struct, sys
source, dest, wanted = sys.argv[1], sys.argv[2], sys.argv[3]
data = bytearray(open(source, "rb").read())
key = data.find("VS_VERSION_INFO".encode("utf-16-le"))
fixed = data.find(b"\xbd\x04\xef\xfe", key)
if key < 0 or fixed < 0:
    sys.exit("no version resource in " + source)
if not wanted:
    ms, ls = struct.unpack_from("<II", data, fixed + 8)
    print("%d.%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF))
    sys.exit(0)
a, b, c, d = (int(x) for x in wanted.split("."))
struct.pack_into("<II", data, fixed + 8, a << 16 | b, c << 16 | d)
open(dest, "wb").write(data)
PY
}

# The common ways through the wizard, shared with the benchmarks.
# shellcheck source=tests/e2e/wizard_paths.sh
. "$SOURCE_DIR/tests/e2e/wizard_paths.sh"

# ---- the Apps & Features entries, as Wine's own programs see them

UNINSTALL_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'

# Deletes an entry that an earlier run of the scenario left.
clean_entry() { # KEY
    "$WINE_RUN" reg delete "$UNINSTALL_KEY\\$1" /f >/dev/null 2>&1 </dev/null
    return 0
}

# The Uninstall key exported by "reg export", as UTF-8 without CR.
export_uninstall() { # FILE
    "$WINE_RUN" reg export "$UNINSTALL_KEY" "$(dos_of_unix "$1.utf16")" /y >/dev/null 2>&1 </dev/null
    iconv -f UTF-16 -t UTF-8 "$1.utf16" | tr -d '\r' >"$1"
    return 0
}

# "uninstaller --list": one line per entry, KEY|||DisplayName.
list_entries() {
    "$WINE_RUN" uninstaller --list </dev/null 2>/dev/null | tr -d '\r'
}

# The entry's values as "reg query" prints them, against stdin (a grep -F
# pattern per line, each of which must match a line of its own).
expect_entry_values() { # KEY
    local values pattern
    values="$("$WINE_RUN" reg query "$UNINSTALL_KEY\\$1" </dev/null 2>&1 | tr -d '\r')"
    printf '%s\n' "$values" >"$OUT/entry-values.txt"
    while IFS= read -r pattern; do
        grep -qF -- "$pattern" <<<"$values" || fail "the entry $1 lacks: $pattern"
    done
    return 0
}
