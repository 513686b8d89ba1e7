#!/usr/bin/env bash
# Runs one end-to-end scenario: a fresh setup directory, setup.exe under Wine
# with the driver clicking through, then checks of what was installed.
#   run-scenario.sh tests/e2e/scenarios/NAME.sh
# Environment (set by ctest): SETUP_EXE, DRIVER_EXE, NOTES_EXE, E2E_OUT,
# SOURCE_DIR; WINEPREFIX as for every test under Wine.
set -uo pipefail

# Wine needs a display: without one, take a virtual one.
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi

here="$(cd "$(dirname "$0")" && pwd)"
# shellcheck source=tests/e2e/lib.sh
. "$here/lib.sh"
scenario_start "$(basename "$1" .sh)"
# A scenario line that fails outside a check (a typo, a missing tool) fails it too.
trap 'fail "scenario command failed (status $?) at line $LINENO"' ERR
# shellcheck disable=SC1090
. "$1"
trap - ERR
scenario_end
