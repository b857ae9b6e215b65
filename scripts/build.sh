#!/usr/bin/env bash
# Configures and builds into build/<type> (type: Release or Debug; default Release).
# `build.sh windows` cross-builds everything that builds for Windows into build/windows/,
# installing its packages and building the GUI library for Windows first when they are missing.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
type=${1:-Release}
shift || true
if [[ $type == windows ]]; then
  bash "$top/scripts/setup.sh" windows
  wx=$(bash "$top/scripts/gui-library-windows.sh")
  cmake -S "$top" -B "$top/build/windows" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DNUB_WX_MSW_PREFIX="$wx" "$@" >/dev/null
  cmake --build "$top/build/windows" -j"$(nproc)"
  exit 0
fi
cmake -S "$top" -B "$top/build/$type" -DCMAKE_BUILD_TYPE="$type" "$@" >/dev/null
cmake --build "$top/build/$type" -j"$(nproc)"
