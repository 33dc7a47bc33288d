#!/usr/bin/env bash
# Builds the tool and the benchmarks in Release mode, makes the large inputs once, then runs the
# side-by-side timing table (bench.py) and the micro-benchmarks.
#   bash bench/run.sh [--rounds N] [--micro-only | --table-only]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

build=build/bench
data=build/bench-data
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DRASTERO_BUILD_BENCHMARKS=ON -DRASTERO_BUILD_TESTS=OFF >/dev/null
# The machines are shared: two compile jobs at most.
cmake --build "$build" -j 2 >/dev/null

mode=all
args=()
for arg in "$@"; do
  case "$arg" in
    --micro-only) mode=micro ;;
    --table-only) mode=table ;;
    *) args+=("$arg") ;;
  esac
done

if [ "$mode" != table ]; then
  "$build/bench/rastero_micro_benchmarks" --benchmark_min_time=0.2
fi
if [ "$mode" != micro ]; then
  if [ ! -f "$data/.complete" ]; then
    mkdir -p "$data"
    "$build/bench/rastero_make_inputs" "$data"
    touch "$data/.complete"
  fi
  /usr/bin/python3 bench/bench.py "$build/cli/rastero" "$data" "${args[@]}"
fi
