#!/usr/bin/env bash
# Configures and builds into build/<type> (type: Release, Debug or Tsan; default Release). Tsan is
# a Debug build under the thread sanitizer. `build.sh windows` cross-builds everything that builds
# for Windows into build/windows/, installing its packages and building the GUI library for
# Windows first when they are missing.
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
case $type in
  Tsan) settings=(-DCMAKE_BUILD_TYPE=Debug -DNUB_SANITIZE=thread -DNUB_BUILD_BENCH=OFF) ;;
  *) settings=(-DCMAKE_BUILD_TYPE="$type") ;;
esac
cmake -S "$top" -B "$top/build/$type" "${settings[@]}" "$@" >/dev/null
cmake --build "$top/build/$type" -j"$(nproc)"
