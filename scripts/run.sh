#!/usr/bin/env bash
# Installs what is missing, builds plenvo with its plug-in, and shows the main job on the
# sample PDF: check it, stamp it, check it again. With arguments, runs plenvo with them
# instead (see `build/plenvo --help`).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target plenvo >/dev/null
if [ "$#" -gt 0 ]; then
  exec build/plenvo "$@"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp samples/report.pdf "$work/report.pdf"
# The demo's choices are stored in a registry of its own, not over the user's.
export XDG_CONFIG_HOME="$work/config"
run() {
  echo "\$ plenvo $*"
  build/plenvo "$@"
  echo
}
run check "$work/report.pdf"
run apply --reservation 1 --policy https://example.com/tdm-policy.json --yes "$work/report.pdf"
run check "$work/report.pdf"
