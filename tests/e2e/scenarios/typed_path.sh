# The install path typed into Select Directory, after a look at Browse: the
# new directory tree is made and logged parent first, the files go there.
write_ini <<'EOF'
apptitle=E2E Typed Path
email=e2e@example.com
website=http://e2e.example.com/
installpath=C:\E2E\NotThisOne
basepath=Typed App
exename=a.txt
file=a.txt
file=b.txt
EOF
setup_file a.txt "first file"
setup_file b.txt "second file, a little longer"
clean_prefix 'C:\E2E\NotThisOne' 'C:\E2E\Typed'
clean_programs 'E2E Typed Path'
mkdir -p "$(unix_of_dos 'C:\E2E')"

play <<SCRIPT
start
page "Setup - Welcome"
click IDC_MAIN
closed
page "Setup - Select Directory"
text IDC_INSTALL_PATH $(q 'C:\E2E\NotThisOne\')
# Browse opens at the nearest folder of the field that exists (C:\E2E, as
# C:\E2E\NotThisOne is not there); OK takes it, with the base path below it.
click IDC_BROWSE_DIR
page "Browse for Folder"
owner "Setup - Select Directory"
shot browse-install-path
answer ok
page "Setup - Select Directory"
wait-text IDC_INSTALL_PATH $(q 'C:\E2E\Typed App\')
type IDC_INSTALL_PATH $(q 'C:\E2E\Typed\Deep\Tree')
click IDC_MAIN
closed
$MAKE_SHORTCUT_TO_END
exit 0
SCRIPT

dir='C:\E2E\Typed\Deep\Tree'
expect_absent 'C:\E2E\NotThisOne'
expect_same "$dir\\a.txt" a.txt
expect_same "$dir\\b.txt" b.txt
folder="$PROGRAMS\\E2E Typed Path"
expect_log "E2E Typed Path" <<EOF
AppTitle=E2E Typed Path
EMail=e2e@example.com
MkDir=C:\\windows\\UnInstal\\
MkFile=C:\\windows\\UnInstal\\E2E Typed Path.log
MkDir=C:\\E2E\\Typed
MkDir=C:\\E2E\\Typed\\Deep
MkDir=$dir
MkFile=$dir\\uninstal.bat
MkFile=$dir\\a.txt
MkFile=$dir\\b.txt
MkDir=$folder
MkFile=$folder\\E2E Typed Path.lnk
EOF
expect_shortcut "$folder\\E2E Typed Path.lnk" "$dir\\a.txt" "$dir\\" "E2E Typed Path"
