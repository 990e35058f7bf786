#!/usr/bin/env bash
# Builds the Windows programs and the release package:
# build/win/velsetup-<version>-win32.zip (the programs, README.TXT, examples).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)
if ! command -v i686-w64-mingw32-g++-win32 >/dev/null; then
  echo "package.sh: MinGW-w64 i686 is missing: apt-get install g++-mingw-w64-i686-win32" >&2
  exit 1
fi
if [ -f build/win/CMakeCache.txt ] && ! grep -q 'i686-w64-mingw32-g++-win32' build/win/CMakeCache.txt; then
  rm -rf build/win
fi
cmake -S . -B build/win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake \
  -DVELSETUP_TESTS=OFF >/dev/null
cmake --build build/win -j "$jobs" --target velsetup velsetup-check
(cd build/win && cpack -G ZIP >/dev/null)
ls -l build/win/velsetup-*-win32.zip
