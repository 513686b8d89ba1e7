# The sample packed by setuppack.exe into one file: setup /S and the wizard
# install from it, started in an empty folder, exactly as /S from the
# folder does (the same report, the same setup log, the same files), and
# the temporary directory is gone after each end: installed, cancelled, a
# bad command line, Abort Setup, the "Setup Error" box, a damaged package
# (the critical report: tests/unit/package_test.cpp). Then the damage
# table: each kind of damage is exit 4 with a report line and nothing made;
# junk appended is accepted.
cp -r "$SOURCE_DIR/examples/sample/setup.ini" "$SOURCE_DIR/examples/sample/readme.txt" \
    "$SOURCE_DIR/examples/sample/help" "$SOURCE_DIR/examples/sample/notes.ini" \
    "$SOURCE_DIR/examples/sample/notesdat.dat" "$SETUP_DIR/"
cp "$NOTES_EXE" "$SETUP_DIR/notes.exe"
stage_uninstaller
app='C:\Program Files\Sample Notes'
log="$C_DRIVE/windows/UnInstal/Sample Notes.log"
report="$(dos_of_unix "$OUT/report.txt")"
reset_sample() {
    clean_prefix "$app" 'C:\windows\notes.ini' 'C:\windows\system32\notesdat.dat'
    clean_programs 'Sample Notes'
    rm -f "$OUT/report.txt"
}
# Extracted copies left in the user's temporary directory: setup-XXXXXXXX.
leftovers() {
    local hex='[0-9a-f]'
    find "$C_DRIVE/users" "$C_DRIVE/windows/temp" -maxdepth 3 -name "setup-$hex$hex$hex$hex$hex$hex$hex$hex" 2>/dev/null
}
# Those of other runs, before this scenario.
earlier="$(leftovers)"
expect_no_leftovers() { # WHEN
    [ "$(leftovers)" = "$earlier" ] || fail "the extracted copy stayed after $1: $(leftovers | tr '\n' ' ')"
}
# The installed files against the sample's.
expect_sample() {
    expect_same "$app\\notes.exe" notes.exe
    expect_same "$app\\readme.txt" readme.txt
    expect_same "$app\\help\\index.htm" help/index.htm
    expect_same 'C:\windows\notes.ini' notes.ini
    expect_same 'C:\windows\system32\notesdat.dat' notesdat.dat
}
silent() { # PROGRAM STATUS [ARGUMENTS]
    SETUP_PROGRAM="$1" play <<SCRIPT
start $(q "${3:-/S /LOG=$report}")
quiet-exit $2
SCRIPT
}

# Packed by the Windows builder, with the setup.exe of this build as stub.
packed="$OUT/packed/Sample Setup.exe"
mkdir -p "$OUT/packed" "$OUT/empty"
(cd "$OUT" && "$WINE_RUN" "$SETUPPACK_EXE" --stub "$(dos_of_unix "$SETUP_EXE")" -o "$(dos_of_unix "$packed")" \
    "$(dos_of_unix "$SETUP_DIR")" </dev/null | tr -d '\r' >"$OUT/setuppack.txt") || fail "setuppack failed"
grep -q '^setuppack: .*: 7 files, ' "$OUT/setuppack.txt" || fail "no summary of 7 files: $(cat "$OUT/setuppack.txt")"
# An empty folder to start in: nothing there to install from.
start_dir="$SETUP_DIR"
SETUP_DIR="$OUT/empty"

# From the folder, then from the one file.
reset_sample
SETUP_DIR="$start_dir" silent "$start_dir/setup.exe" 0
cp "$log" "$OUT/folder.log"
sed 1d "$OUT/report.txt" >"$OUT/folder-report.txt"
reset_sample
silent "$packed" 0
SETUP_DIR="$start_dir" expect_sample
cmp -s "$OUT/folder.log" "$log" || fail "the setup log from the package differs: $(diff "$OUT/folder.log" "$log" | tr '\n' ' ')"
sed 1d "$OUT/report.txt" >"$OUT/package-report.txt"
cmp -s "$OUT/folder-report.txt" "$OUT/package-report.txt" ||
    fail "the report from the package differs: $(diff "$OUT/folder-report.txt" "$OUT/package-report.txt" | tr '\n' ' ')"
expect_no_leftovers "/S"

# The wizard from the one file, every default.
reset_sample
SETUP_PROGRAM="$packed" play <<SCRIPT
start
page "Setup - Welcome"
click IDC_MAIN
closed
page "Setup - Select Directory"
click IDC_MAIN
closed
page "Setup - Create Shortcut"
click IDC_MAIN
closed
page "Setup - Complete"
click IDC_MAIN
closed
exit 0
SCRIPT
SETUP_DIR="$start_dir" expect_sample
cmp -s "$OUT/folder.log" "$log" || fail "the wizard's setup log differs: $(diff "$OUT/folder.log" "$log" | tr '\n' ' ')"
expect_no_leftovers "the wizard"

# Cancelled on the Welcome page; a bad command line.
reset_sample
SETUP_PROGRAM="$packed" play <<SCRIPT
start
page "Setup - Welcome"
click IDC_CANCEL
page "Cancel Setup"
answer yes
exit 0
SCRIPT
expect_absent "$app"
expect_no_leftovers "a cancel"
silent "$packed" 3 "/S /BOGUS"
expect_no_leftovers "a bad command line"

# Abort Setup on the overwrite warning; the "Setup Error" box.
reset_sample
mkdir -p "$(unix_of_dos "$app")"
printf 'another size' >"$(unix_of_dos "$app\\readme.txt")"
SETUP_PROGRAM="$packed" play <<SCRIPT
start
$TO_INSTALLING
page "Setup - Warning"
click IDC_ABORT_SETUP
exit 0
SCRIPT
expect_file "$app\\readme.txt" "another size"
expect_no_leftovers "Abort Setup"
reset_sample
clean_prefix 'C:\E2E\PackBlocked'
mkdir -p "$(unix_of_dos 'C:\E2E\PackBlocked')"
printf 'in the way' >"$(unix_of_dos 'C:\E2E\PackBlocked\file.txt')"
SETUP_PROGRAM="$packed" play <<SCRIPT
start $(q '/D=C:\E2E\PackBlocked\file.txt\sub')
$TO_INSTALLING
page "Setup Error"
answer ok
exit 2
SCRIPT
expect_no_leftovers "the Setup Error box"
clean_prefix 'C:\E2E\PackBlocked'

# Damaged: the wizard's box, with what to do.
cp "$packed" "$OUT/damaged.exe"
python3 - "$OUT/damaged.exe" <<'PY'
import sys
p = sys.argv[1]
b = bytearray(open(p, 'rb').read())
b[-1] ^= 0x55
open(p, 'wb').write(b)
PY
SETUP_PROGRAM="$OUT/damaged.exe" play <<SCRIPT
start
page "Setup Error"
message $(q "The setup package is damaged and cannot be installed (the package's checksum is wrong).

Please download it again, or ask its author for a new copy, and start the new copy.")
shot damaged-package
answer ok
exit 0
SCRIPT
expect_absent "$app"
expect_no_leftovers "the damaged-package box"

# The damage table: what is done to the package, and setup /S's status.
# The header is the last "SETUPPAK" in the file (the stub holds the word too).
damage() { # HOW FILE
    python3 - "$1" "$2" <<'PY'
import struct, sys, zlib
how, path = sys.argv[1], sys.argv[2]
b = bytearray(open(path, 'rb').read())
h = b.rfind(b'SETUPPAK')
if how == 'header-byte':
    b[h + 12] ^= 1
elif how == 'file-byte':
    b[h + 32 + 24 + 9 + 5] ^= 1  # in setup.ini's data, the first entry
elif how == 'last-byte':
    b[-1] ^= 1
elif how == 'cut-by-one':
    del b[-1]
elif how == 'junk-appended':
    b += b'junk after the package' * 10
elif how == 'length-2^32-1':
    struct.pack_into('<Q', b, h + 16, 2**32 - 1)
    struct.pack_into('<I', b, h + 28, zlib.crc32(bytes(b[h:h + 28])))
open(path, 'wb').write(b)
PY
}
while read -r how status; do
    reset_sample
    cp "$packed" "$OUT/damage.exe"
    damage "$how" "$OUT/damage.exe"
    silent "$OUT/damage.exe" "$status"
    if [ "$status" -eq 4 ]; then
        grep -q "^damaged setup package .*damage.exe: " "$OUT/report.txt" || fail "$how: no damaged line in the report"
        tr -d '\r' <"$OUT/report.txt" | grep -qx "exit 4: the setup package is damaged" || fail "$how: no exit line 4"
        expect_absent "$app"
        expect_absent 'C:\windows\UnInstal\Sample Notes.log'
    else
        SETUP_DIR="$start_dir" expect_sample
    fi
    expect_no_leftovers "$how"
done <<'TABLE'
header-byte 4
file-byte 4
last-byte 4
cut-by-one 4
junk-appended 0
length-2^32-1 4
TABLE
reset_sample
