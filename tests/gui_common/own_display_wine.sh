#!/usr/bin/env bash
# own_display_wine.sh BUILD_DIR PROGRAM [ARGS...]: runs a Windows window test under wine's X11
# driver on an X server of its own, the Windows twin of own_display.sh.
#
# A simulated person's input goes through the wine server, which hands it to whatever window of
# its desktop lies under it, and the desktop's own process draws on the display of the program
# that started it: so every test also has a wine server of its own. The tests take turns in a few
# prefixes (BUILD_DIR/wineprefix-x11-N, hard-linked copies of BUILD_DIR/wineprefix-x11 with
# registries of their own), each used by one test at a time. Listing the tests needs neither and
# runs in the build's headless prefix.
set -euo pipefail
build=$1
shift
here=$(cd "$(dirname "$0")" && pwd)
wine_run=$here/../../scripts/wine-run.sh
if [[ " $* " == *" --gtest_list_tests "* ]]; then
  exec bash "$wine_run" "$build/wineprefix" "$@"
fi

template=$build/wineprefix-x11
bash "$wine_run" --x11 "$template"
cores=$(nproc)
slots=$((cores / 2 < 1 ? 1 : cores / 2 > 4 ? 4 : cores / 2))

# A free prefix, its lock held on descriptor 8 until this script ends. Bounded: the test's own
# time-out ends a wait that takes longer.
slot=
for _ in $(seq 6000); do
  for ((i = 0; i < slots; i++)); do
    exec 8>"$template-$i.slot"
    if flock -n 8; then
      slot=$template-$i
      break 2
    fi
    exec 8>&-
  done
  sleep 0.1
done
if [[ -z $slot ]]; then
  echo "no wine prefix for the window test became free" >&2
  exit 1
fi
if [[ ! -f $slot/.nubivane-prefix-1 ]]; then
  rm -rf "$slot" "$slot.new"
  cp -al "$template" "$slot.new"
  mv "$slot.new" "$slot"
fi
# The wine server writes the registry files in place: each test starts from the template's.
WINEPREFIX=$slot wineserver -k 2>/dev/null || true
for registry in "$template"/*.reg; do
  cp --remove-destination "$registry" "$slot/"
done

display_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$display_file" >/dev/null 2>&1 &
xvfb_pid=$!
finish() {
  WINEPREFIX=$slot wineserver -k 2>/dev/null || true
  kill $xvfb_pid 2>/dev/null || true
  wait $xvfb_pid 2>/dev/null || true
  rm -f "$display_file"
}
trap finish EXIT
for _ in $(seq 200); do
  [[ -s $display_file ]] && break
  sleep 0.05
done
if [[ ! -s $display_file ]]; then
  echo "the window test found no X server of its own (Xvfb did not start)" >&2
  exit 1
fi
status=0
DISPLAY=":$(tr -d '[:space:]' <"$display_file")" bash "$wine_run" --x11 "$slot" "$@" || status=$?
exit $status
