#!/usr/bin/env bash
# Builds the tool and runs a script (default examples/hello.ini) on the default
# simulated machine, then shows the install log and the working copy.
# Where the tree has no simulated machine yet, the Windows build runs the
# script under Wine instead, in a private prefix under ~/.velsetup/wine.
set -euo pipefail
cd "$(dirname "$0")/.."
script=$(realpath "${1:-examples/hello.ini}")
shift || true
options=("$@")
[ ${#options[@]} -gt 0 ] || options=(-noreboot)
jobs=$(nproc 2>/dev/null || echo 2)

if ls src/platform/host/*.cpp >/dev/null 2>&1; then
  cmake -S . -B build/host -G Ninja -DVELSETUP_TESTS=OFF >/dev/null
  cmake --build build/host -j "$jobs" >/dev/null
  build/host/velsetup "$script" "${options[@]}"
  machine=${VELSETUP_MACHINE:-$HOME/.velsetup/machine}
  echo "== $machine/drive_c/install.log"
  cat "$machine/drive_c/install.log" 2>/dev/null | tail -n 20 || true
else
  cmake -S . -B build/win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DVELSETUP_TESTS=OFF >/dev/null
  cmake --build build/win -j "$jobs" >/dev/null
  export WINEPREFIX=${WINEPREFIX:-$HOME/.velsetup/wine} WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  unset DISPLAY
  wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
  mkdir -p "$(dirname "$WINEPREFIX")"
  [ -d "$WINEPREFIX/drive_c" ] || "$wine" wineboot -i >/dev/null 2>&1 || true
  "$wine" build/win/velsetup.exe "Z:${script//\//\\}" "${options[@]}"
  "$(dirname "$wine")/wineserver" -w 2>/dev/null || true
  echo "== $WINEPREFIX/drive_c/install.log"
  tail -n 20 "$WINEPREFIX/drive_c/install.log" 2>/dev/null || true
fi
