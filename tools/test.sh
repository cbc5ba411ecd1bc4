#!/usr/bin/env bash
# Installs what is missing, then configures, builds and runs every test: once in the dev build
# and once under AddressSanitizer + UndefinedBehaviorSanitizer. Warnings are errors here.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)
for preset in dev asan; do
  echo "== $preset build"
  cmake --preset "$preset" -DVELMORA_WERROR=ON >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  echo "== $preset tests"
  ctest --preset "$preset" -j "$jobs"
done
