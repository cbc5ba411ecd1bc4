#!/usr/bin/env bash
# Builds the libFuzzer targets (the fuzz preset, clang) and runs each for the given number of
# seconds (default 60). New inputs go to build/fuzz-work/<target>/, crashes to
# build/fuzz-work/artifacts/; the seed corpora in fuzz/corpus/ are only read. To keep a new input
# as a regression case, copy it into fuzz/corpus/<target>/ (the normal tests replay that folder).
#   tools/fuzz.sh [seconds] [target...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
bash tools/install-deps.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target fuzz_all
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=($(ls fuzz/corpus))
fi
work=build/fuzz-work
mkdir -p "$work/artifacts"
status=0
for target in "${targets[@]}"; do
  mkdir -p "$work/$target"
  echo "== fuzz_$target for ${seconds}s"
  if ! build/fuzz/fuzz/fuzz_"$target" -max_total_time="$seconds" -dict=fuzz/velmora.dict \
      -max_len=65536 -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$work/artifacts/$target-" "$work/$target" "fuzz/corpus/$target" \
      2>"$work/$target.log"; then
    echo "fuzz_$target FAILED; see $work/$target.log and $work/artifacts/"
    status=1
  fi
  grep -E "^(Done|stat::number_of_executed_units|stat::peak_rss_mb)" "$work/$target.log" || true
done
exit $status
