# shellcheck shell=bash disable=SC2034 # the files that source it use these
# Parts of a driver script (tests/e2e/driver.cpp) for the common ways through
# the wizard; sourced by the scenarios' helpers and by the benchmarks.

# Clicks through Welcome and Select Directory with what setup.ini says (a
# part of a driver script).
TO_INSTALLING='page "Setup - Welcome"
click IDC_MAIN
closed
page "Setup - Select Directory"
click IDC_MAIN
closed'

# From Create Shortcut to the end: skip the shortcut, or make it where the
# page proposes, then close Complete (parts of a driver script).
SKIP_SHORTCUT_TO_END='page "Setup - Create Shortcut"
click IDC_SKIP_SHORTCUT
closed
page "Setup - Complete"
click IDC_MAIN
closed'
MAKE_SHORTCUT_TO_END='page "Setup - Create Shortcut"
click IDC_MAIN
closed
page "Setup - Complete"
click IDC_MAIN
closed'
