#!/usr/bin/env bash
# Installs what is missing, builds the Release configuration and runs the program's main job:
# decoding the bundled sample feed against the shipped airport catalogue.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/scripts/setup.sh"
bash "$top/scripts/build.sh" Release
"$top/build/Release/tools/nubivane-decode" --airports "$top/data/airport.dat" "$top/data/sample-feed.txt"
