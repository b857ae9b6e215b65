#!/usr/bin/env bash
# Runs a command on an X server of its own: window tests (a simulated person's clicks and keys go
# to whatever window lies under them on the display, so no other test's window may stand there),
# the end-to-end test and the demo.
#
# The server picks a free display itself (-displayfd: the number comes from a socket it holds, so
# no two servers share one), never resets when its last client leaves (-noreset: a test that
# starts the GUI library a second time, or a second program, would meet a server in the middle of
# its reset), and the command starts only once the server has answered a client. A server that
# dies before that is started again.
#
# Every user has a window manager, and GTK lays windows out, places them and reports their
# places differently under one: openbox runs on the server, and the command starts once it
# manages the screen.
set -euo pipefail
if [[ " $* " == *" --gtest_list_tests "* ]]; then
  exec "$@"
fi
display_file=$(mktemp)
wm_log=$(mktemp)
xvfb_pid=
wm_pid=
stop_server() {
  if [[ -n $wm_pid ]]; then
    kill "$wm_pid" 2>/dev/null || true
    wait "$wm_pid" 2>/dev/null || true
  fi
  wm_pid=
  if [[ -n $xvfb_pid ]]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  xvfb_pid=
}
trap 'stop_server; rm -f "$display_file" "$wm_log"' EXIT

# Starts a server; true once it answers a client on the display it wrote.
start_server() {
  : >"$display_file"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$display_file" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 600); do
    [[ -s $display_file ]] && break
    kill -0 "$xvfb_pid" 2>/dev/null || return 1
    sleep 0.05
  done
  [[ -s $display_file ]] || return 1
  display=":$(tr -d '[:space:]' <"$display_file")"
  for _ in $(seq 200); do
    kill -0 "$xvfb_pid" 2>/dev/null || return 1
    xdpyinfo -display "$display" >/dev/null 2>&1 && return 0
    sleep 0.05
  done
  return 1
}

# Starts the window manager; true once it has announced itself on the root window (it takes
# over the windows' mapping before that).
start_window_manager() {
  command -v openbox >/dev/null || { echo "openbox is missing (bash scripts/setup.sh installs it)" >&2; return 1; }
  DISPLAY=$display openbox --sm-disable >"$wm_log" 2>&1 &
  wm_pid=$!
  for _ in $(seq 200); do
    kill -0 "$wm_pid" 2>/dev/null || break
    DISPLAY=$display xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
    sleep 0.05
  done
  echo "openbox did not come up on $display:" >&2
  cat "$wm_log" >&2
  return 1
}

display=
for _ in 1 2 3; do
  start_server && start_window_manager && break
  stop_server
  display=
done
if [[ -z $display ]]; then
  echo "found no X server of its own (Xvfb or openbox did not start or never answered)" >&2
  exit 1
fi
DISPLAY=$display "$@"
