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
click IDC_MAIN
closed
page "Setup - Select Directory"
text IDC_INSTALL_PATH $(q "$path")
click IDC_MAIN
closed
page "Setup - Warning"
text IDC_OVERWRITE_PATH $(q "${path}a.txt")
page "Setup - Installing"
text IDC_TEXT $(q "${intro:0:511}")
page "Setup - Warning"
click IDC_SKIP_FILE
closed
page "Setup - Create Shortcut"
text IDC_SHORTCUT_FOLDER $(q "$title")
click IDC_MAIN
page "Setup Error"
owner "setup"
message $(q "$(setup_error_text "Error creating application Shortcuts!" "String bounds overflow!" e2e@example.com)")
answer ok
exit 0
SCRIPT

[ ${#intro} -gt 511 ] || fail "the introduction is not longer than its buffer: ${#intro}"
expect_file "${path}a.txt" "old a"
