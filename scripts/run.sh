#!/usr/bin/env bash
# Installs what is missing, builds the Release configuration and runs the program beside the
# simulator stand-in, in a fresh working folder with the shipped catalogues. With a display the
# window stays open until it is closed. Without one (or with --headless) it runs under a private
# X server until the program has connected and cleared the stand-in's weather, prints the status
# texts and where the picture of the main window lies, and stops both.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
headless=0
[[ "${1:-}" == "--headless" || -z "${DISPLAY:-}" ]] && headless=1

bash "$top/scripts/setup.sh"
bash "$top/scripts/build.sh" Release
bin="$top/build/Release"

work=$(mktemp -d)
cp "$top/data/airport.dat" "$top/data/station.dat" "$work/"
export NUBIVANE_IPC_DIR="$work"  # where the program and the stand-in meet
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
}
trap cleanup EXIT

# Waits up to $2 tenths of a second for the pattern $1 in the file $3.
wait_for() {
  for _ in $(seq "$2"); do grep -q "$1" "$3" 2>/dev/null && return 0; sleep 0.1; done
  return 1
}

if ((headless)); then
  display_file="$work/display"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
  pids+=($!)
  wait_for . 100 "$display_file" || { echo "run.sh: the private X server did not start" >&2; exit 1; }
  export DISPLAY=":$(tr -d '[:space:]' <"$display_file")"
fi

# The aircraft stands at Berlin Schoenefeld (EDDB), ready to fly; the stand-in prints what it
# receives as JSON lines.
"$bin/tools/nubivane-simstub" --lat 52.3800 --lon 13.5225 >"$work/simstub.jsonl" 2>&1 &
stub=$!
pids+=("$stub")
wait_for '"kind":"ready"' 100 "$work/simstub.jsonl" || { echo "run.sh: the stand-in did not start" >&2; exit 1; }

echo "Working folder: $work"
if ((!headless)); then
  (cd "$work" && "$bin/app/program/nubivane")
else
  picture="$bin/screenshots/main_window.png"
  mkdir -p "$(dirname "$picture")"
  (cd "$work" && NUBIVANE_SNAPSHOT="$picture" exec "$bin/app/program/nubivane" >"$work/program.out" 2>"$work/program.err") &
  program=$!
  pids+=("$program")
  # The writer has connected once the stand-in reports the weather commands 4 and 3.
  if ! wait_for '"kind":"command".*"value":3' 600 "$work/simstub.jsonl"; then
    echo "run.sh: the program did not clear the stand-in's weather within a minute" >&2
    exit 1
  fi
  kill -USR1 "$program"
  wait_for '^screenshot: ' 100 "$work/program.out" || echo "run.sh: no picture of the main window" >&2
  kill -TERM "$program"
  wait "$program" || true
  echo "The stand-in received:"
  grep '"kind":"command"' "$work/simstub.jsonl" || true
  echo "The program showed:"
  cat "$work/program.out"
  echo "Its log:"
  cat "$work/nubivane.log"
fi
kill -TERM "$stub" 2>/dev/null || true
wait "$stub" 2>/dev/null || true
