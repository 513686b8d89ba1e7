# A package signed with Authenticode after packing (osslsigncode and a
# throwaway certificate made here with openssl): the signature verifies, and
# setup /S installs from the signed file, whose certificate table follows
# the package. A byte changed in the package then fails both the
# signature's check and setup's own (exit 4, nothing installed).
command -v osslsigncode >/dev/null && command -v openssl >/dev/null ||
    scenario_skip "osslsigncode or openssl is missing (scripts/install-deps.sh installs them)"
write_ini <<'INI'
apptitle=E2E Signed
email=e2e@example.com
installpath=C:\E2E\Signed
file=a.txt
file=sub\b.txt
INI
setup_file a.txt "$(printf 'a line of text to be packed\n%.0s' $(seq 200))"
setup_file sub/b.txt "bee"
stage_uninstaller
clean_prefix 'C:\E2E\Signed'
clean_programs 'E2E Signed'
report="$(dos_of_unix "$OUT/report.txt")"
mkdir -p "$OUT/empty"
packed="$OUT/packed.exe"
"$WINE_RUN" "$SETUPPACK_EXE" --quiet --stub "$(dos_of_unix "$SETUP_EXE")" -o "$(dos_of_unix "$packed")" \
    "$(dos_of_unix "$SETUP_DIR")" </dev/null >"$OUT/setuppack.txt" 2>&1 || fail "setuppack failed: $(cat "$OUT/setuppack.txt")"

openssl req -x509 -newkey rsa:2048 -nodes -keyout "$OUT/key.pem" -out "$OUT/cert.pem" -days 2 \
    -subj "/CN=Setup Test Signer" >/dev/null 2>&1 || fail "no throwaway certificate"
osslsigncode sign -certs "$OUT/cert.pem" -key "$OUT/key.pem" -n "E2E Signed" -in "$packed" -out "$OUT/signed.exe" \
    >"$OUT/sign.txt" 2>&1 || fail "osslsigncode sign failed: $(cat "$OUT/sign.txt")"
osslsigncode verify -CAfile "$OUT/cert.pem" "$OUT/signed.exe" >"$OUT/verify.txt" 2>&1 ||
    fail "the signature does not verify: $(tail -3 "$OUT/verify.txt")"

silent() { # PROGRAM STATUS
    rm -f "$OUT/report.txt"
    SETUP_DIR="$OUT/empty" SETUP_PROGRAM="$1" play <<SCRIPT
start $(q "/S /LOG=$report")
quiet-exit $2
SCRIPT
}
silent "$OUT/signed.exe" 0
expect_same 'C:\E2E\Signed\a.txt' a.txt
expect_same 'C:\E2E\Signed\sub\b.txt' sub/b.txt

# One byte of the package (in a.txt's data, half-way) changed.
clean_prefix 'C:\E2E\Signed'
python3 - "$OUT/signed.exe" "$OUT/tampered.exe" <<'PY'
import sys
b = bytearray(open(sys.argv[1], 'rb').read())
h = b.rfind(b'SETUPPAK')
b[h + 32 + 24 + 9 + 200] ^= 0x20
open(sys.argv[2], 'wb').write(b)
PY
if osslsigncode verify -CAfile "$OUT/cert.pem" "$OUT/tampered.exe" >"$OUT/verify-tampered.txt" 2>&1; then
    fail "the signature still verifies after a byte of the package changed"
fi
silent "$OUT/tampered.exe" 4
expect_absent 'C:\E2E\Signed'
grep -q "^damaged setup package " "$OUT/report.txt" || fail "no damaged line in the report"
