#!/usr/bin/env bash
# Makes the README's pictures of both dialogs as Windows users see them:
# docs/single-document-dialog.png and docs/batch-dialog.png. It builds the Windows build's
# picture program, runs it under Wine in a virtual desktop, which draws the window frames
# as Windows does, and turns the BMP files the program writes into PNG files.
set -euo pipefail
cd "$(dirname "$0")/.."

if ! command -v python3 >/dev/null; then
  echo "screenshots: python3 is needed to write the PNG files (apt-get install python3)" >&2
  exit 1
fi
scripts/install-deps.sh
cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPLENVO_WERROR=ON >/dev/null
cmake --build build-win -j"$(nproc)" --target dialog_screenshots

shots=$(mktemp -d "${TMPDIR:-/tmp}/plenvo-shots.XXXXXX")
trap 'rm -rf "$shots"' EXIT
# Wine's drive Z: is the root of the file system.
PLENVO_WINE_DESKTOP=1280x1024 scripts/wine-run.sh build-win/tests/wine/dialog_screenshots.exe "Z:${shots//\//\\}"

mkdir -p docs
python3 - "$shots" docs <<'PY'
# 24-bit BMP (bottom-up rows of BGR, each padded to 4 bytes) to an 8-bit RGB PNG.
import os, struct, sys, zlib

def chunk(kind, body):
    return struct.pack('>I', len(body)) + kind + body + struct.pack('>I', zlib.crc32(kind + body) & 0xFFFFFFFF)

def convert(source, target):
    data = open(source, 'rb').read()
    offset = struct.unpack_from('<I', data, 10)[0]
    width, height = struct.unpack_from('<ii', data, 18)
    if data[:2] != b'BM' or struct.unpack_from('<H', data, 28)[0] != 24:
        sys.exit(f'{source}: not a 24-bit BMP file')
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(abs(height)):
        start = offset + (abs(height) - 1 - y if height > 0 else y) * stride
        bgr = data[start:start + width * 3]
        rgb = bytearray(len(bgr))
        rgb[0::3], rgb[1::3], rgb[2::3] = bgr[2::3], bgr[1::3], bgr[0::3]
        rows.append(b'\0' + bytes(rgb))
    header = struct.pack('>IIBBBBB', width, abs(height), 8, 2, 0, 0, 0)
    with open(target, 'wb') as out:
        out.write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', header) +
                  chunk(b'IDAT', zlib.compress(b''.join(rows), 9)) + chunk(b'IEND', b''))
    print(f'wrote {target} ({width}x{abs(height)})')

shots, docs = sys.argv[1], sys.argv[2]
for name in ('single-document-dialog', 'batch-dialog'):
    convert(os.path.join(shots, name + '.bmp'), os.path.join(docs, name + '.png'))
PY
