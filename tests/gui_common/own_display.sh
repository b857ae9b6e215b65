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
# manages the screen. NUBIVANE_DISPLAY_WITHOUT_WM=1 leaves it out, for a test of a program that
# must see keys a window manager would take for itself.
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

# Every wait below ends by the clock, not by a count of tries: on a busy machine each try (a
# process started, a round trip to the server) takes long, and the test's own time-out would end
# it first without a word. The display must stand within this many seconds, or the launcher says
# what it waited for.
readonly display_bound_s=60
readonly answer_bound_s=5  # one client's round trip to a server that may be stuck
deadline=$((SECONDS + display_bound_s))
waited_for=

# Starts a server; true once it answers a client on the display it wrote.
start_server() {
  : >"$display_file"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$display_file" >/dev/null 2>&1 &
  xvfb_pid=$!
  waited_for="Xvfb to tell its display number"
  while ((SECONDS < deadline)); do
    [[ -s $display_file ]] && break
    kill -0 "$xvfb_pid" 2>/dev/null || { waited_for="Xvfb, which ended before it told its display number"; return 1; }
    sleep 0.05
  done
  [[ -s $display_file ]] || return 1
  display=":$(tr -d '[:space:]' <"$display_file")"
  waited_for="the X server on $display to answer a client"
  while ((SECONDS < deadline)); do
    kill -0 "$xvfb_pid" 2>/dev/null || { waited_for="the X server on $display, which ended"; return 1; }
    timeout "$answer_bound_s" xdpyinfo -display "$display" >/dev/null 2>&1 && return 0
    sleep 0.05
  done
  return 1
}

# Starts the window manager; true once it has announced itself on the root window (it takes
# over the windows' mapping before that).
start_window_manager() {
  [[ ${NUBIVANE_DISPLAY_WITHOUT_WM:-0} == 1 ]] && return 0
  DISPLAY=$display openbox --sm-disable >"$wm_log" 2>&1 &
  wm_pid=$!
  waited_for="openbox to manage the screen of $display"
  while ((SECONDS < deadline)); do
    kill -0 "$wm_pid" 2>/dev/null || { waited_for="openbox on $display, which ended: $(cat "$wm_log")"; return 1; }
    DISPLAY=$display timeout "$answer_bound_s" xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' &&
      return 0
    sleep 0.05
  done
  return 1
}

if ! command -v openbox >/dev/null; then
  echo "own_display.sh: openbox is missing (bash scripts/setup.sh installs it)" >&2
  exit 1
fi
display=
while ((SECONDS < deadline)); do
  start_server && start_window_manager && break
  stop_server
  display=
done
if [[ -z $display ]]; then
  echo "own_display.sh: no X server of its own within ${display_bound_s} s; it waited for $waited_for" >&2
  exit 1
fi
DISPLAY=$display "$@"
