#!/bin/sh
# Runs a Windows program under Wine for the tests: quiet, headless-safe, and
# in one Wine prefix per test run (made on first use; making one takes seconds).
export WINEDEBUG=-all
# PLANT_OVERRIDES: more overrides of a test (tests/e2e/scenarios/dll_planting.sh).
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d${PLANT_OVERRIDES:+;$PLANT_OVERRIDES}"
: "${WINEPREFIX:=${TMPDIR:-/tmp}/setup-wine-$(id -u)}"
export WINEPREFIX
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    # Only one maker when tests start side by side.
    flock "$WINEPREFIX/.lock" sh -c '[ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1'
fi
exec wine "$@"
