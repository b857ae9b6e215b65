#!/usr/bin/env bash
# wine-run.sh [--x11] PREFIX [PROGRAM [ARGS...]]: runs a Windows program under wine in the private
# prefix PREFIX, made on first use (without a program: only made). Headless: the null graphics
# driver needs no X server. With --x11 the prefix draws through wine's X11 driver on $DISPLAY
# instead, with unmanaged windows: there is no window manager, and hidden ones must not wait for
# one. mono and gecko are never installed, and a program that crashes ends with its backtrace on
# standard error instead of waiting in the crash dialog.
set -euo pipefail
graphics=null
if [[ ${1:-} == --x11 ]]; then
  graphics=x11
  shift
fi
prefix=$1
shift
export WINEPREFIX=$prefix
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
if [[ ! -f $prefix/.nubivane-prefix-1 ]]; then
  mkdir -p "$(dirname "$prefix")"
  (
    flock 9
    if [[ ! -f $prefix/.nubivane-prefix-1 ]]; then
      # Made without a display, whatever the caller has.
      DISPLAY= wineboot -i >/dev/null 2>&1
      wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d $graphics /f >/dev/null 2>&1
      wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
      wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
      wineserver -w
      touch "$prefix/.nubivane-prefix-1"
    fi
  ) 9>"$prefix.lock"
fi
[[ $# -gt 0 ]] || exit 0
exec wine "$@"
