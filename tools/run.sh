#!/usr/bin/env bash
# The run command: builds Velmora to read the bundled sample service, starts the service on
# 127.0.0.1:48080, starts the window (its address box already holds the sample user's address) and
# stops the service when the window closes.
#
#   bash tools/run.sh                         the window, on this display
#   bash tools/run.sh --headless [--screenshot FILE.png]
#                                             no display needed: drives the window through one
#                                             harvest, checks all, exports and prints the links
set -euo pipefail
cd "$(dirname "$0")/.."

port=48080  # the sample preset builds the program to read 127.0.0.1:48080
headless=0
drive_args=()
while (($# > 0)); do
  case "$1" in
    --headless) headless=1 ;;
    --screenshot)
      [[ $# -ge 2 ]] || { echo "run.sh: --screenshot needs a file name" >&2; exit 2; }
      drive_args+=(--screenshot "$(realpath -m "$2")")
      shift
      ;;
    -h | --help)
      sed -n '2,9p' "$0" | sed 's/^# \{0,1\}//'
      exit 0
      ;;
    *)
      echo "run.sh: unknown option: $1 (try --help)" >&2
      exit 2
      ;;
  esac
  shift
done
if ((${#drive_args[@]} > 0 && headless == 0)); then
  echo "run.sh: --screenshot goes with --headless" >&2
  exit 2
fi

if ((headless == 0)) && [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
  cat >&2 <<'EOF'
run.sh: there is no display ($DISPLAY and $WAYLAND_DISPLAY are empty), so the window cannot open.
  Run it on a virtual display:   xvfb-run -a bash tools/run.sh
  or without any display:        bash tools/run.sh --headless
EOF
  exit 1
fi

bash tools/install-deps.sh

echo "== building (sample preset)"
cmake --preset sample >/dev/null
targets=(velmora velmora_sample_service)
((headless)) && targets+=(velmora_drive)
cmake --build --preset sample --target "${targets[@]}"

service=build/sample/tools/sample_service/velmora_sample_service
if curl -s -o /dev/null --max-time 2 "http://127.0.0.1:$port/"; then
  echo "run.sh: something already answers on 127.0.0.1:$port; stop it first." >&2
  exit 1
fi

service_pid=""
window_pid=""
stop_children() {
  local pid
  for pid in $window_pid $service_pid; do
    if kill -0 "$pid" 2>/dev/null; then
      kill "$pid" 2>/dev/null || true
      wait "$pid" 2>/dev/null || true
    fi
  done
}
trap stop_children EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

"$service" "$port" &
service_pid=$!

# Wait until the service answers (a few seconds at most).
for _ in $(seq 50); do
  if curl -s -o /dev/null --max-time 1 "http://127.0.0.1:$port/share/home?uk=100000001"; then
    break
  fi
  if ! kill -0 "$service_pid" 2>/dev/null; then
    echo "run.sh: the sample service did not start" >&2
    exit 1
  fi
  sleep 0.1
done
echo "== sample service on http://127.0.0.1:$port (pid $service_pid)"

if ((headless)); then
  build/sample/tools/drive/velmora_drive --host "127.0.0.1:$port" "${drive_args[@]}"
else
  echo "== starting the window; the service stops when it closes"
  # In the background, so that a signal to this script ends the window too.
  build/sample/ui/velmora &
  window_pid=$!
  code=0
  wait "$window_pid" || code=$?
  window_pid=""
  exit "$code"
fi
