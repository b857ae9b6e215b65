#!/usr/bin/env bash
# Configures and builds into build/<type> (type: Release or Debug; default Release).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
type=${1:-Release}
shift || true
cmake -S "$top" -B "$top/build/$type" -DCMAKE_BUILD_TYPE="$type" "$@" >/dev/null
cmake --build "$top/build/$type" -j"$(nproc)"
