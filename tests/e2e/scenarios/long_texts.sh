# Texts longer than the page buffers: a 200-character title and a
# 229-character install path. The Installing page's introduction is cut at
# 511 characters; the background title is clipped, not wrapped (see the
# screenshot); a shortcut folder path that does not fit is refused with the
# "Setup Error" box instead of being cut.
title="$(printf 'A Very Long Application Title %.0s' 1 2 3 4 5 6 7)"
title="${title:0:200}"
path='C:\E2E\Long'
while [ ${#path} -lt 228 ]; do path+='\Directory_Name_Part'; done
path="${path:0:228}\\"
{
    echo "apptitle=$title"
    echo 'email=e2e@example.com'
    echo "installpath=$path"
    echo 'file=a.txt'
} | write_ini
setup_file a.txt "the new, longer a.txt"
clean_prefix 'C:\E2E\Long'
mkdir -p "$(unix_of_dos "$path")"
printf 'old a' >"$(unix_of_dos "$path")/a.txt"
intro="Installing the $title application to $path.  Press the cancel button to abort the installation."

play <<SCRIPT
start
page "Setup - Welcome"
shot long-title
click 1000
closed
page "Setup - Select Directory"
text 1006 $(q "$path")
click 1000
closed
page "Setup - Warning"
text 1014 $(q "${path}a.txt")
page "Setup - Installing"
text 1002 $(q "${intro:0:511}")
page "Setup - Warning"
click 1015
closed
page "Setup - Create Shortcut"
text 1010 $(q "$title")
click 1000
page "Setup Error"
owner "setup"
message $(q "$(setup_error_text "Error creating application Shortcuts!" "String bounds overflow!" e2e@example.com)")
answer ok
exit 0
SCRIPT

[ ${#intro} -gt 511 ] || fail "the introduction is not longer than its buffer: ${#intro}"
expect_file "${path}a.txt" "old a"
