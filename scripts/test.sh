#!/usr/bin/env bash
# Installs what is missing, builds everything and runs the whole test suite: the native
# build's tests, the fuzz targets, then the Windows build's tests under Wine.
#   --long   also run the long tests and a ten-minute fuzzing session
set -euo pipefail
cd "$(dirname "$0")/.."

long=0
for arg in "$@"; do
  case "$arg" in
    --long) long=1 ;;
    *) echo "usage: $0 [--long]" >&2; exit 2 ;;
  esac
done

scripts/install-deps.sh
jobs=$(nproc)

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPLENVO_WERROR=ON
cmake --build build -j"$jobs"
if [ "$long" -eq 1 ]; then
  ctest --test-dir build --output-on-failure -j"$jobs"
else
  ctest --test-dir build --output-on-failure -j"$jobs" -LE long
fi

# The fuzz targets need clang's libFuzzer and run under the address and UB sanitizers.
fuzz_seconds=5
[ "$long" -eq 1 ] && fuzz_seconds=600
cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DPLENVO_WERROR=ON -DPLENVO_FUZZ=ON -DPLENVO_FUZZ_SECONDS="$fuzz_seconds" \
  -DPLENVO_BUILD_TESTS=OFF -DPLENVO_BUILD_BENCH=OFF
cmake --build build-fuzz -j"$jobs" --target fuzz_targets
ctest --test-dir build-fuzz --output-on-failure -L fuzz

# The Windows build, cross-compiled with mingw-w64; each of its test programs runs under
# Wine in a fresh prefix.
windows_started=$SECONDS
cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPLENVO_WERROR=ON
cmake --build build-win -j"$jobs"
ctest --test-dir build-win -L wine --output-on-failure -j"$jobs"
echo "Windows build and Wine tests took $((SECONDS - windows_started)) s"
