#!/usr/bin/env bash
# Fails when a Windows program or module imports from a DLL that Windows does not bring
# itself, such as the C++ or thread runtimes of the compiler: those are linked in statically.
#   check-imports.sh OBJDUMP FILE...
set -euo pipefail
objdump=$1
shift
windows_dlls='^(kernel32|user32|gdi32|advapi32|shell32|comctl32|comdlg32|ole32|oleaut32|msvcrt|api-ms-win-.*)\.dll$'
status=0
for file in "$@"; do
  imports=$("$objdump" -p "$file" | awk '/DLL Name:/ {print $3}')
  if [ -z "$imports" ]; then
    echo "$(basename "$file"): no import table found" >&2
    status=1
  fi
  for dll in $imports; do
    if ! echo "$dll" | tr '[:upper:]' '[:lower:]' | grep -Eq "$windows_dlls"; then
      echo "$(basename "$file") needs $dll, which Windows does not bring" >&2
      status=1
    fi
  done
done
[ "$status" -eq 0 ] && echo "$# files import from Windows's own DLLs only"
exit "$status"
