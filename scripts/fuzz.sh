#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer (AddressSanitizer and
# UndefinedBehaviorSanitizer on) and runs each for a bounded time:
#   scripts/fuzz.sh [seconds per target, default 20] [target ...]
# New inputs go to build/fuzz/corpus/<target>; the committed seeds in
# fuzz/corpus/<target> are read, never written. A crash leaves its input in
# build/fuzz/ and makes the script fail.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
shift || true
jobs=$(nproc 2>/dev/null || echo 2)
CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DVELSETUP_FUZZ=ON -DVELSETUP_TESTS=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/fuzz -j "$jobs" >/dev/null
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for source in fuzz/*_fuzz.cpp; do targets+=("$(basename "$source" _fuzz.cpp)"); done
fi
status=0
for target in "${targets[@]}"; do
  work="build/fuzz/corpus/$target"
  mkdir -p "$work"
  echo "== $target: ${seconds}s"
  if ! (cd build/fuzz && ./"${target}_fuzz" -max_total_time="$seconds" -timeout=10 \
          -rss_limit_mb=2048 -print_final_stats=1 "corpus/$target" "../../fuzz/corpus/$target" \
          2>&1 | grep -E "^(#[0-9]+[[:space:]]+(INITED|DONE)|stat::number_of_executed_units|stat::peak_rss|==[0-9]+==ERROR|SUMMARY|artifact_prefix|Test unit written)" ); then
    :
  fi
  if ls build/fuzz/crash-* build/fuzz/leak-* build/fuzz/timeout-* >/dev/null 2>&1; then
    echo "fuzz.sh: $target found a failing input (build/fuzz/crash-*, leak-*, timeout-*)"
    status=1
  fi
done
exit $status
