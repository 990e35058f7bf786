#!/usr/bin/env bash
# Builds the tool and runs a script (default examples/hello.ini) on the default
# simulated machine ($VELSETUP_MACHINE, else ~/.velsetup/machine), then shows
# the install log, the working copy and what the machine recorded.
set -euo pipefail
cd "$(dirname "$0")/.."
script=$(realpath "${1:-examples/hello.ini}")
shift || true
options=("$@")
[ ${#options[@]} -gt 0 ] || options=(-noreboot)
jobs=$(nproc 2>/dev/null || echo 2)

if [ ! -x build/host/velsetup ]; then
  echo "== building build/host/velsetup (the first build takes a minute or two; later ones seconds)"
fi
start=$SECONDS
cmake -S . -B build/host -G Ninja -DVELSETUP_TESTS=OFF >/dev/null
# Ninja shows its progress ([12/40] ...) on one line when this is a terminal.
if ! cmake --build build/host -j "$jobs"; then
  echo "== the build failed; the lines above say why" >&2
  exit 1
fi
echo "== built in $((SECONDS - start)) s"
machine=${VELSETUP_MACHINE:-$HOME/.velsetup/machine}
# A script with a kit/ folder beside it installs that kit: it goes to the
# machine's C:\KIT first, as an engineer copies a kit onto a machine.
kit="$(dirname "$script")/kit"
if [ -d "$kit" ]; then
  mkdir -p "$machine/drive_c/KIT"
  cp -r "$kit/." "$machine/drive_c/KIT/"
fi
build/host/velsetup "$script" "${options[@]}"
log=$(sed -n 's/^LogFile=\(.*\)$/\1/p' "$script" | tr -d '\r' | head -n 1)
log=${log:-C:\\system.sav\\util\\install.log}
host_log="$machine/drive_${log:0:1}"
host_log="${host_log,,}$(echo "${log:2}" | tr '\\' '/')"
echo "== install log ($log)"
tail -n 20 "$host_log" 2>/dev/null || echo "(none)"
echo "== events.jsonl"
tail -n 5 "$machine/events.jsonl" 2>/dev/null || echo "(none)"
