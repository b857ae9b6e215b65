#!/usr/bin/env bash
# The weather service end to end on this machine: a local server of the bundled real feed
# (data/feed/), the simulator stand-in with the aircraft at an airport, and the program in a fresh
# working folder. Once the stand-in has received a send ("GLOB" and the stations around the
# aircraft), it prints what the simulator received and where the picture of the main window lies.
# With a display the window stays open until it is closed; without one everything runs under a
# private Xvfb and stops cleanly after the first send.
#
# Usage: demo.sh BUILD_DIR [LAT LON]   (default: Frankfurt, 50.0333 8.5706)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
# Without a display the demo runs again on an X server of its own, which ends with it.
if [[ -z "${DISPLAY:-}" ]]; then
  NUB_DEMO_HEADLESS=1 exec bash "$top/tests/gui_common/own_display.sh" bash "$0" "$@"
fi
headless=${NUB_DEMO_HEADLESS:-0}
build=$(cd "${1:?build folder}" && pwd)
lat=${2:-50.0333}
lon=${3:-8.5706}
work="$build/demo"
program="$build/app/program/nubivane"
stub="$build/tools/nubivane-simstub"
python=/usr/bin/python3
limit_s=120

rm -rf "$work"
mkdir -p "$work/ipc"
cp "$top/data/airport.dat" "$top/data/station.dat" "$work/"
cat >"$work/Nubivane.ini" <<'EOF'
[General]
Metar=3
Weatherupdate=20
DwlUpperair=1
DwlAddWeather=1
DwlStartup=1
CheckUpdateStartup=0
[Weather]
wxRange=300
EOF

pids=()
stop_all() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    kill "${pids[i]}" 2>/dev/null || true
    wait "${pids[i]}" 2>/dev/null || true
  done
  pids=()
}
trap stop_all EXIT

# Waits (bounded) until a file holds a line with the text.
wait_for() {
  local file=$1 text=$2 seconds=$3
  for ((t = 0; t < seconds * 10; t++)); do
    grep -q -- "$text" "$file" 2>/dev/null && return 0
    sleep 0.1
  done
  echo "demo: gave up waiting for '$text' in $file" >&2
  return 1
}

"$python" "$top/tools/feed_server.py" "$top/data/feed" >"$work/server.jsonl" &
pids+=($!)
wait_for "$work/server.jsonl" '"kind": "ready"' 10
port=$("$python" -c 'import json,sys; print(json.loads(open(sys.argv[1]).readline())["port"])' "$work/server.jsonl")

export NUBIVANE_IPC_DIR="$work/ipc"
# The stand-in reads commands from this pipe ("position LAT LON", ...); the demo only keeps it open.
mkfifo "$work/stub-input"
"$stub" --quiet --lat "$lat" --lon "$lon" --record "$work/received.jsonl" <"$work/stub-input" >"$work/stub.jsonl" &
pids+=($!)
exec 4>"$work/stub-input"
wait_for "$work/stub.jsonl" '"kind":"ready"' 10

echo "demo: feed on http://127.0.0.1:$port, aircraft at $lat $lon, program in $work"
(
  cd "$work"
  export NUBIVANE_UPDATE_HOST="http://127.0.0.1:$port" NUBIVANE_VATSIM_HOST="http://127.0.0.1:$port"
  export NUBIVANE_SCREENSHOT="$work/main-window.png"
  # Every pause of the program at a fifth: the nearest station is shown after 60 ticks (12 s).
  export NUBIVANE_TIME_SCALE=${NUBIVANE_TIME_SCALE:-0.2}
  [[ $headless == 1 ]] && export NUBIVANE_BOX_ANSWER=yes
  exec "$program" 2>"$work/program.err"
) &
program_pid=$!
pids+=($program_pid)

# The first send has ended when the closing command follows its records.
wait_for "$work/received.jsonl" '"kind":"command","offset":51200,"size":2,"value":256' "$limit_s"
for _ in $(seq 600); do [[ -s $work/main-window.png ]] && break; sleep 0.1; done
"$python" "$top/tools/show_received.py" "$work/received.jsonl" "$work/airport.dat" "$lat" "$lon"
echo "demo: the main window's picture: $work/main-window.png"
echo "demo: the program's log: $work/nubivane.log"

if [[ $headless == 0 ]]; then
  echo "demo: the window stays open until it is closed"
  wait "$program_pid" || true
fi
stop_all
grep -q "Main: Nubivane Close" "$work/nubivane.log" && echo "demo: the program closed cleanly"
