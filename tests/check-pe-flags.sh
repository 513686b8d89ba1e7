#!/usr/bin/env bash
# The delivered programs are marked aware of Terminal Services: without the
# mark, a Remote Desktop host gives each user a private Windows directory,
# and the setup log and the shared-file checks would look in the wrong one.
#   check-pe-flags.sh OBJDUMP PROGRAM...
set -uo pipefail
objdump="$1"
shift
failures=0
for program in "$@"; do
    if ! grep -qw TERMINAL_SERVICE_AWARE <<<"$("$objdump" -p "$program")"; then
        echo "FAIL: $program is not marked aware of Terminal Services"
        failures=$((failures + 1))
    fi
done
[ "$failures" -eq 0 ] && echo "all marked"
exit "$failures"
