# The Installing page shows its whole introduction for a title of 60
# characters and an install path of 100: no line of it is cut off or lies
# under the destination line (see the screenshot).
title='E2E Installing Page, With A Title Of Sixty Characters In All'
path='C:\E2E\Installing Text\Programs\An Example Vendor Of Software\An Example Product With A Longer Name\'
[ ${#title} -eq 60 ] && [ ${#path} -eq 100 ] || fail "title ${#title}, path ${#path} characters"
count=60
{
    echo "apptitle=$title"
    echo 'email=e2e@example.com'
    echo "installpath=$path"
    for i in $(seq -f '%02g' 1 $count); do echo "file=f$i.dat"; done
} | write_ini
for i in $(seq -f '%02g' 1 $count); do
    head -c 262144 /dev/urandom >"$SETUP_DIR/f$i.dat"
done
clean_prefix 'C:\E2E\Installing Text'
clean_programs "$title"

play <<SCRIPT
start
$TO_INSTALLING
page "Setup - Installing"
wait-match IDC_FILE_LINE $(q 'File ([2-5][0-9]) of 60 \([0-9]+% Complete\)')
suspend
text IDC_TEXT $(q "Installing the $title application to $path.  Press the cancel button to abort the installation.")
fits IDC_TEXT
shot installing
resume
page "Setup - Create Shortcut"
click IDC_SKIP_SHORTCUT
closed
page "Setup - Complete"
click IDC_MAIN
closed
exit 0
SCRIPT

expect_same "${path}f$count.dat" "f$count.dat"
expect_screenshot installing
