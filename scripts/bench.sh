#!/usr/bin/env bash
# Builds the Release benchmarks and runs them all, then prints one table:
# benchmark, figure, goal, met/missed.
#
#   scripts/bench.sh          the full sizes (about 10 minutes on 2 cores)
#   scripts/bench.sh --quick  small sizes: shows that everything still runs
#
# The raw outputs stay in build/bench/results/. The Wine comparison runs when
# Wine and MinGW-w64 are installed (the Windows build is made in build/win).
set -euo pipefail
cd "$(dirname "$0")/.."

quick=0
if [ "${1:-}" = "--quick" ]; then quick=1; fi
jobs=2
launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi

cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELSETUP_TESTS=OFF \
  "${launcher[@]}" >/dev/null
cmake --build build/bench -j "$jobs"
for bench in command_loop_bench file_tree_bench profile_read_bench lab_bench; do
  if [ ! -x "build/bench/$bench" ]; then
    echo "bench.sh: build/bench/$bench was not built (is Google Benchmark installed?)" >&2
    exit 1
  fi
done

results=build/bench/results
rm -rf "$results"
mkdir -p "$results"
json() { echo "--benchmark_out_format=json --benchmark_out=$results/$1.json"; }

if [ "$quick" = 1 ]; then
  loop_filter='--benchmark_filter=BM_Interpreter/commands:(100|1000)/'
  export VELSETUP_BENCH_QUICK=1
  wine_args=(--sizes 10,200 --wine-max 200 --repeat 1)
else
  loop_filter=
  # Under Wine a command costs about 30 ms at 1,000 commands and grows with
  # the script: larger sizes run on the host only.
  wine_args=(--sizes 10,250,1000,5000,20000,50000 --wine-max 1000 --repeat 3)
fi

echo "== the interpreter" >&2
# shellcheck disable=SC2046
build/bench/command_loop_bench $loop_filter $(json command_loop) >&2
echo "== tree copy and delete" >&2
# The repetitions of both sides of a comparison are interleaved, so that
# the load of other work on the machine falls on both alike.
# shellcheck disable=SC2046
build/bench/file_tree_bench --benchmark_enable_random_interleaving=true $(json file_tree) >&2
echo "== velsetup-lab" >&2
# shellcheck disable=SC2046
build/bench/lab_bench $(json lab) >&2
echo "== profile reads" >&2
# shellcheck disable=SC2046
build/bench/profile_read_bench $(json profile_read) >&2

if [ -x /usr/lib/wine/wine ] && command -v i686-w64-mingw32-g++-win32 >/dev/null; then
  echo "== host and Wine" >&2
  cmake -S . -B build/win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake \
    -DVELSETUP_TESTS=OFF "${launcher[@]}" >/dev/null
  cmake --build build/win -j "$jobs" --target velsetup
  python3 bench/wine_ratio.py --host build/bench/velsetup --exe build/win/velsetup.exe \
    "${wine_args[@]}" --json "$results/wine.json" >&2
else
  echo "bench.sh: Wine or MinGW-w64 missing: the Wine comparison is skipped" >&2
fi

echo
echo "Run: scripts/bench.sh${1:+ $1}, $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores"
python3 bench/bench_table.py "$results"
