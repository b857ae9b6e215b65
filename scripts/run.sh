#!/usr/bin/env bash
# Installs what is missing, builds the Release configuration and runs the demo: the program, the
# simulator stand-in and a local server of the bundled real feed (scripts/demo.sh).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/scripts/setup.sh"
bash "$top/scripts/build.sh" Release
bash "$top/scripts/demo.sh" "$top/build/Release" "$@"
