#!/usr/bin/env bash
# Builds everything and runs every test: the host test build (AddressSanitizer
# and UndefinedBehaviorSanitizer), the Windows build cross-compiled with
# MinGW-w64 (when installed) for the tests that run it under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)

if command -v x86_64-w64-mingw32-g++-posix >/dev/null || command -v x86_64-w64-mingw32-g++ >/dev/null; then
  cmake -S . -B build/win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DVELSETUP_TESTS=OFF >/dev/null
  cmake --build build/win -j "$jobs"
else
  echo "test.sh: MinGW-w64 not found: the Windows build and the tests under Wine are skipped"
fi

cmake -S . -B build/test -G Ninja -DVELSETUP_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug \
  -DVELSETUP_WIN_BUILD_DIR="$PWD/build/win" >/dev/null
cmake --build build/test -j "$jobs"
ctest --test-dir build/test --output-on-failure -j "$jobs"

# The fuzz targets, briefly: a longer run is scripts/fuzz.sh <seconds>.
if command -v clang++ >/dev/null; then
  scripts/fuzz.sh 10
else
  echo "test.sh: clang++ not found: the fuzz targets are skipped"
fi
