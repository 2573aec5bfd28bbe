#!/usr/bin/env bash
# Checks that Windows programs import, at link time, only DLLs that the
# system protects: those it always loads from its own folder (the KnownDLLs
# of Windows 7 to 11, and the core DLLs every process has), never from the
# folder a program was started from. Setup is run from wherever it was
# downloaded, where a DLL of any other name would be loaded in its place.
# A program with delay-loaded imports fails too: those are looked up later,
# by name.
#
#   check-imports.sh OBJDUMP PROGRAM...
# Prints each program's imports; exits 1 naming every DLL that is not
# protected, 2 when a program cannot be read.
set -uo pipefail
objdump=$1
shift

protected=" advapi32.dll clbcatq.dll combase.dll comdlg32.dll coml2.dll difxapi.dll gdi32.dll
  gdiplus.dll imagehlp.dll imm32.dll kernel32.dll kernelbase.dll msctf.dll msvcrt.dll normaliz.dll
  nsi.dll ntdll.dll ole32.dll oleaut32.dll psapi.dll rpcrt4.dll sechost.dll setupapi.dll shcore.dll
  shell32.dll shlwapi.dll user32.dll wldap32.dll ws2_32.dll "
protected=" $(echo $protected) "

status=0
for program in "$@"; do
  if ! headers=$("$objdump" -p "$program" 2>&1); then
    echo "$program: cannot be read: $headers" >&2
    exit 2
  fi
  imports=$(sed -n 's/^[[:space:]]*DLL Name: *//p' <<<"$headers" | tr 'A-Z' 'a-z' | tr -d '\r')
  echo "$(basename "$program") imports: $(echo $imports)"
  for dll in $imports; do
    case $protected in
      *" $dll "*) ;;
      *) echo "$(basename "$program"): $dll is not protected by the system" >&2; status=1 ;;
    esac
  done
  # The data directory's entry for delay-loaded imports: address and size.
  delay=$(sed -n 's/^Entry d \([0-9a-fA-F]*\) \([0-9a-fA-F]*\) Delay Import Directory.*/\1\2/p' \
    <<<"$headers")
  if [ -z "$delay" ]; then
    echo "$(basename "$program"): no delay-import entry found in its headers" >&2
    status=1
  elif [ -n "${delay//0/}" ]; then
    echo "$(basename "$program"): has delay-loaded imports" >&2
    status=1
  fi
done
exit $status
