#!/usr/bin/env bash
# Passes when PROGRAM.exe is a Windows GUI program whose imports are system DLLs only, so it
# runs on a bare Windows:  check_imports.sh OBJDUMP PROGRAM.exe
set -euo pipefail
objdump=$1
program=$2
headers=$("$objdump" -p "$program")

grep -q 'Subsystem.*(Windows GUI)' <<<"$headers" || { echo "not a Windows GUI program" >&2; exit 1; }

status=0
while read -r dll; do
  case "${dll,,}" in
    kernel32.dll | user32.dll | gdi32.dll | comctl32.dll | comdlg32.dll | msvcrt.dll | \
      advapi32.dll | shell32.dll | winspool.drv | ole32.dll | oleacc.dll | api-ms-win-crt-*.dll | ucrtbase.dll)
      echo "system DLL: $dll" ;;
    *)
      echo "not a system DLL: $dll" >&2
      status=1 ;;
  esac
done < <(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers")
exit "$status"
