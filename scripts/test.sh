#!/usr/bin/env bash
# Builds everything and runs every test: the host test build (AddressSanitizer
# and UndefinedBehaviorSanitizer), the 32-bit Windows build cross-compiled with
# MinGW-w64 i686 (when installed) for the tests that run it under 32-bit Wine
# and for the checks of its imports, headers and instructions.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)

if command -v i686-w64-mingw32-g++-win32 >/dev/null; then
  # A build directory configured for another toolchain keeps it: start afresh.
  if [ -f build/win/CMakeCache.txt ] && ! grep -q 'i686-w64-mingw32-g++-win32' build/win/CMakeCache.txt; then
    rm -rf build/win
  fi
  cmake -S . -B build/win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake \
    -DVELSETUP_TESTS=OFF >/dev/null
  cmake --build build/win -j "$jobs"
  # The release package, which the tests unpack and check.
  (cd build/win && cpack -G ZIP >/dev/null)
else
  echo "test.sh: MinGW-w64 i686 (g++-mingw-w64-i686-win32) not found: the Windows build and its tests are skipped"
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
