#!/usr/bin/env bash
# Compiles the Windows-facing sources against mingw-w64's real Win32 headers (syntax
# only) and the resource scripts with windres, so nothing builds here only because the
# headless headers are more forgiving than Windows's.
#   check-windows-build.sh CXX WINDRES SOURCE_ROOT
set -euo pipefail
cxx=$1 windres=$2 root=$3
status=0
shopt -s nullglob
for source in "$root"/platform/framework/*.cpp "$root"/src/settings/*.cpp "$root"/src/plugin/*.cpp \
              "$root"/src/ui/*.cpp; do
  if ! "$cxx" -std=c++20 -fsyntax-only -Wall -Wextra -Werror -I"$root/platform/framework" -I"$root/src" \
       -DPLENVO_HELP_BASE_ADDRESS='"https://help.example.com/plenvo/"' "$source"; then
    echo "does not build for Windows: $source" >&2
    status=1
  fi
done
for script in "$root"/tests/platform/framework/*.rc "$root"/src/ui/*.rc; do
  if ! "$windres" -I"$(dirname "$script")" "$script" -O coff -o /dev/null; then
    echo "windres rejects: $script" >&2
    status=1
  fi
done
[ "$status" -eq 0 ] && echo "Windows sources and resource scripts build"
exit "$status"
