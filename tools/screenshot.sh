#!/usr/bin/env bash
# Renews the README's picture (docs/window.png, or the file given): the window right after a
# harvest of the bundled sample service, with every file checked and its link exported. It is the
# run command's headless mode, so it needs no display (Qt's offscreen platform), or runs on a
# virtual X display with --xvfb. Port 48080 must be free, as for the run command.
set -euo pipefail
cd "$(dirname "$0")/.."

use_xvfb=0
out=docs/window.png
for arg in "$@"; do
  case "$arg" in
    --xvfb) use_xvfb=1 ;;
    -h | --help)
      echo "usage: bash tools/screenshot.sh [--xvfb] [FILE.png]"
      exit 0
      ;;
    *) out=$arg ;;
  esac
done
mkdir -p "$(dirname "$out")"

run=(bash tools/run.sh --headless --screenshot "$out")
if ((use_xvfb)); then
  bash tools/install-deps.sh
  env -u QT_QPA_PLATFORM xvfb-run -a -s "-screen 0 1280x1024x24" "${run[@]}"
else
  QT_QPA_PLATFORM=offscreen "${run[@]}"
fi
echo "wrote $out"
