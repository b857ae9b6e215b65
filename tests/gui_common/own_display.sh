#!/usr/bin/env bash
# Runs a window test on an X server of its own. A simulated person's clicks and keys go to
# whatever window lies under them on the display, so no other test's window may stand there.
set -euo pipefail
if [[ " $* " == *" --gtest_list_tests "* ]]; then
  exec "$@"
fi
display_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$display_file" >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill $xvfb_pid 2>/dev/null || true; wait $xvfb_pid 2>/dev/null || true; rm -f "$display_file"' EXIT
for _ in $(seq 200); do
  [[ -s $display_file ]] && break
  sleep 0.05
done
if [[ ! -s $display_file ]]; then
  echo "the window test found no X server of its own (Xvfb did not start)" >&2
  exit 1
fi
DISPLAY=":$(tr -d '[:space:]' <"$display_file")" "$@"
