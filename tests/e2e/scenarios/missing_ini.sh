# No setup.ini: the "Setup Error" box, without owner and before any window,
# naming the directory where setup looked and without a contact line (no
# address is known), then exit status 0.
play <<SCRIPT
start
page "Setup Error"
owner none
no-background
message $(q "$(setup_error_text "Error loading setup config file 'SETUP.INI' in $(dos_of_unix "$SETUP_DIR")!" \
    "Failed to open file!" none)")
shot setup-error-no-ini
answer ok
exit 0
SCRIPT
