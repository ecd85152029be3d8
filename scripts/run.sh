#!/usr/bin/env bash
# Installs what is missing, builds, and prints the XMP packet that applying
# TDMRep (reservation 1, no policy, with the PDF/A schema) to a document
# without metadata writes. Arguments go to the program: see --help.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target plenvo-packet >/dev/null
exec build/hostapp/plenvo-packet "$@"
