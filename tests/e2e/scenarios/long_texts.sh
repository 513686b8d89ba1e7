# The longest texts setup.ini can hold (lines of 255 characters) on every
# page: each page shows its whole text, grown to as many lines as it takes
# and with the buttons below it, as does every other text of the page
# ("fits all"; see the screenshots).
#
# First a title of 246 characters and a description of 250: the Welcome page
# and the background, then the Installing page with an install path of 243,
# which stops at the setup log, whose name would not fit. Then a title of
# 233, the longest that leaves the log's name room, and a 229-character
# install path without blanks that holds an earlier a.txt: the overwrite
# warning and the Installing page's whole introduction; a shortcut
# folder path that does not fit is refused with the "Setup Error" box
# instead of being cut. Last, the Complete page with an e-mail address of
# 249 characters and a web site of 247.
words() { # LENGTH TEXT: TEXT repeated, cut at LENGTH characters
    local out=""
    while [ ${#out} -lt "$1" ]; do out+="$2"; done
    printf '%s' "${out:0:$1}"
}
welcome_text() { # TITLE DESCRIPTION
    printf 'This program will setup and install the %s application on your computer.  %s  You may abort the setup by pressing the Cancel button at any time.\n\nPress the Next button below to continue...' "$1" "$2"
}

title="$(words 246 'The Longest Application Title & Tools ')"
desc="$(words 250 'A description as long as a line of setup.ini may be, which the Welcome page shows whole. ')"
path="C:\\E2E\\Long\\$(words 231 'Directory Name Part\')"
[ ${#title} -eq 246 ] && [ ${#desc} -eq 250 ] && [ ${#path} -eq 243 ] || fail "${#title} ${#desc} ${#path}"
{
    echo "apptitle=$title"
    echo "desc=$desc"
    echo 'email=e2e@example.com'
    echo "installpath=$path"
    echo 'file=a.txt'
} | write_ini
awk '{ if (length($0) > 255) exit 1 }' "$SETUP_DIR/setup.ini" || fail "a line of setup.ini is longer than 255 characters"
setup_file a.txt "the new, longer a.txt"
clean_prefix 'C:\E2E\Long'
intro="Installing the $title application to $path\\.  Press the cancel button to abort the installation."

play <<SCRIPT
start
page "Setup - Welcome"
text IDC_TEXT $(q "$(welcome_text "$title" "$desc")")
fits all
shot longest-welcome
click IDC_MAIN
closed
page "Setup - Select Directory"
text IDC_INSTALL_PATH $(q "$path\\")
click IDC_MAIN
closed
page "Setup Error"
page "Setup - Installing"
text IDC_TEXT $(q "$intro")
fits all
page "Setup Error"
answer ok
exit 0
SCRIPT
expect_screenshot longest-welcome

title="${title:0:233}"
path='C:\E2E\Long'
while [ ${#path} -lt 228 ]; do path+='\Directory_Name_Part'; done
path="${path:0:228}\\"
count=60
{
    echo "apptitle=$title"
    echo 'email=e2e@example.com'
    echo "installpath=$path"
    echo 'file=a.txt'
    for i in $(seq -f '%02g' 1 $count); do echo "file=f$i.dat"; done
} | write_ini
for i in $(seq -f '%02g' 1 $count); do
    head -c 262144 /dev/urandom >"$SETUP_DIR/f$i.dat"
done
clean_prefix 'C:\E2E\Long'
mkdir -p "$(unix_of_dos "$path")"
printf 'old a' >"$(unix_of_dos "$path")/a.txt"
intro="Installing the $title application to $path.  Press the cancel button to abort the installation."

play <<SCRIPT
start
page "Setup - Welcome"
click IDC_MAIN
closed
page "Setup - Select Directory"
text IDC_INSTALL_PATH $(q "$path")
fits all
click IDC_MAIN
closed
page "Setup - Warning"
text IDC_OVERWRITE_PATH $(q "${path}a.txt")
fits all
shot longest-overwrite
page "Setup - Installing"
text IDC_TEXT $(q "$intro")
fits all
page "Setup - Warning"
click IDC_SKIP_FILE
closed
page "Setup - Installing"
wait-match IDC_FILE_LINE $(q 'File ([2-5][0-9]) of 61 \([0-9]+% Complete\)')
suspend
shot longest-installing
resume
page "Setup - Create Shortcut"
text IDC_SHORTCUT_FOLDER $(q "$title")
fits all
click IDC_MAIN
page "Setup Error"
owner "setup"
message $(q "$(setup_error_text "Error creating application Shortcuts!" "String bounds overflow!" e2e@example.com)")
answer ok
exit 0
SCRIPT

[ ${#intro} -gt 511 ] || fail "the introduction is not longer than the buffer it once had: ${#intro}"
# The shortcut failed, so the setup was undone: the skipped file stays as
# it was, the files it copied are gone.
expect_file "${path}a.txt" "old a"
expect_absent "${path}f$count.dat"
expect_screenshot longest-installing

email="$(words 237 'e2e.mail.')@example.com"
website="http://$(words 240 'www.example.com/')"
{
    echo "apptitle=$title"
    echo "email=$email"
    echo "website=$website"
    echo 'installpath=C:\E2E\Long\Complete'
    echo 'file=a.txt'
} | write_ini
clean_prefix 'C:\E2E\Long'
clean_programs "$title"

play <<SCRIPT
start
$TO_INSTALLING
page "Setup - Create Shortcut"
click IDC_SKIP_SHORTCUT
closed
page "Setup - Complete"
text IDC_TEXT $(q "The $title application has been installed.  If have problems or questions about the program:

     E-Mail: $email
     Web Site: $website

Press the Finish button below to exit setup...")
fits all
shot longest-complete
click IDC_MAIN
closed
exit 0
SCRIPT
expect_screenshot longest-complete
expect_same 'C:\E2E\Long\Complete\a.txt' a.txt
clean_prefix 'C:\E2E\Long'
