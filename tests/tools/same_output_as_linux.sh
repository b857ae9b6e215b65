#!/usr/bin/env bash
# same_output_as_linux.sh LINUX_TOOL WINDOWS_TOOL ARGS...: runs the decode tool of the Linux
# build and the one of the Windows build (under wine, through scripts/wine-run.sh; the wine
# prefix comes in NUBIVANE_WINEPREFIX) with the same arguments, and fails unless both print
# the same bytes and end with the same code.
set -uo pipefail
linux_tool=$1
windows_tool=$2
shift 2
here=$(cd "$(dirname "$0")" && pwd)
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
ASAN_OPTIONS=detect_leaks=0 "$linux_tool" "$@" >"$out/linux" 2>/dev/null
linux_code=$?
bash "$here/../../scripts/wine-run.sh" "$NUBIVANE_WINEPREFIX" "$windows_tool" "$@" >"$out/windows" 2>/dev/null
windows_code=$?
if [[ $linux_code -ne $windows_code ]]; then
  echo "exit codes differ: Linux $linux_code, Windows $windows_code"
  exit 1
fi
if ! cmp "$out/linux" "$out/windows"; then
  diff <(head -c 2000000 "$out/linux") <(head -c 2000000 "$out/windows") | head -n 20
  exit 1
fi
echo "same $(wc -l <"$out/linux") lines, $(wc -c <"$out/linux") bytes, exit code $linux_code"
