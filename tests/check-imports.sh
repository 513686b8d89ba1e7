#!/bin/sh
# Fails when a program imports a DLL that is no known DLL of Windows: the
# loader looks for such a DLL in the program's own folder first, before the
# program's first line could stop it.
#   check-imports.sh OBJDUMP PROGRAM...
# The known DLLs of Windows 10 (HKLM\SYSTEM\CurrentControlSet\Control\
# Session Manager\KnownDLLs), and ntdll, which every process has from the
# system directory.
KNOWN="advapi32 clbcatq combase comdlg32 coml2 difxapi gdi32 gdiplus imagehlp imm32 kernel32 msctf msvcrt
normaliz nsi ntdll ole32 oleaut32 psapi rpcrt4 sechost setupapi shcore shell32 shlwapi user32 wldap32 ws2_32"
objdump="$1"
shift
status=0
for program in "$@"; do
    names="$("$objdump" -p "$program" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr -d '\r' | tr 'A-Z' 'a-z')"
    if [ -z "$names" ]; then
        echo "FAIL: $program: no import table read"
        status=1
        continue
    fi
    for name in $names; do
        case " $(echo $KNOWN) " in
            *" ${name%.dll} "*) ;;
            *)
                echo "FAIL: $program imports $name, which is no known DLL"
                status=1
                ;;
        esac
    done
    echo "$program:" $names
done
exit $status
