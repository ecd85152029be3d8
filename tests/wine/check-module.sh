#!/usr/bin/env bash
# Checks the built plug-in module as the viewer will meet it: a 64-bit Windows DLL whose
# export table holds PlugInMain and nothing else, importing only Windows's own DLLs.
#   check-module.sh OBJDUMP MODULE
set -euo pipefail
objdump=$1
module=$2
name=$(basename "$module")
headers=$("$objdump" -p "$module")
status=0

if ! grep -q 'file format pei-x86-64' <<<"$headers"; then
  echo "$name is not a 64-bit Windows image" >&2
  status=1
fi
if ! awk '/^Characteristics/ {in_flags = 1; next} in_flags && /^$/ {exit} in_flags' <<<"$headers" | grep -qw DLL; then
  echo "$name is not marked as a DLL" >&2
  status=1
fi

# The names listed after "[Ordinal/Name Pointer] Table", one "[ n] Name" a line.
exports=$(awk '/\[Ordinal\/Name Pointer\] Table/ {in_table = 1; next}
               in_table && /^[[:space:]]*\[ *[0-9]+\]/ {print $NF; next}
               in_table {exit}' <<<"$headers")
if [ "$exports" != "PlugInMain" ]; then
  echo "$name exports [$(echo $exports)], not PlugInMain alone" >&2
  status=1
fi

"$(dirname "$0")/check-imports.sh" "$objdump" "$module" >/dev/null || status=1
[ "$status" -eq 0 ] && echo "$name: a 64-bit DLL exporting PlugInMain alone, importing $(awk '/DLL Name:/ {printf "%s ", $3}' <<<"$headers")"
exit "$status"
