#!/usr/bin/env bash
# Builds the release preset and runs every benchmark family. Each prints its figures and then a
# table of its targets, each measured against a baseline taken in the same run. Extra arguments
# go to every benchmark (e.g. --benchmark_repetitions=3).
#   tools/bench.sh [benchmark arguments...]
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
export QT_QPA_PLATFORM=offscreen
cmake --preset release >/dev/null
families=(split_bench harvest_bench memory_bench)
if grep -q '^VELMORA_BUILD_UI:BOOL=ON' build/release/CMakeCache.txt; then
  families+=(window_bench)
fi
cmake --build --preset release --target "${families[@]}"
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs)," \
  "load $(cut -d' ' -f1-3 /proc/loadavg), $(date -u '+%Y-%m-%d %H:%M UTC')"
missed=()
for family in "${families[@]}"; do
  echo "== $family"
  if ! "build/release/bench/$family" "$@"; then
    missed+=("$family")
  fi
done
if ((${#missed[@]})); then
  echo "targets missed in: ${missed[*]}"
  exit 1
fi
echo "every target holds"
