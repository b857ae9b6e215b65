#!/usr/bin/env bash
# Installs what is missing, builds the Debug configuration with sanitizers and runs every test.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/scripts/setup.sh"
bash "$top/scripts/build.sh" Debug -DNUB_SANITIZE=ON

# Window tests need a display: start a private X server when there is none.
if [[ -z "${DISPLAY:-}" ]]; then
  display=":$((90 + RANDOM % 400))"
  Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  trap 'kill $xvfb_pid 2>/dev/null || true' EXIT
  export DISPLAY=$display
  for _ in $(seq 50); do [[ -e /tmp/.X11-unix/X${display#:} ]] && break; sleep 0.1; done
fi

export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cd "$top/build/Debug"
ctest --output-on-failure -j"$(nproc)" --timeout 300
