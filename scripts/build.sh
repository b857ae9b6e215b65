#!/usr/bin/env bash
# Configures and builds into build/<type> (type: Release, Debug or Tsan; default Release). Tsan is
# a Debug build under the thread sanitizer.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
type=${1:-Release}
shift || true
case $type in
  Tsan) settings=(-DCMAKE_BUILD_TYPE=Debug -DNUB_SANITIZE=thread -DNUB_BUILD_BENCH=OFF) ;;
  *) settings=(-DCMAKE_BUILD_TYPE="$type") ;;
esac
cmake -S "$top" -B "$top/build/$type" "${settings[@]}" "$@" >/dev/null
cmake --build "$top/build/$type" -j"$(nproc)"
