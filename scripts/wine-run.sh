#!/usr/bin/env bash
# wine-run.sh PREFIX PROGRAM [ARGS...]: runs a Windows program under wine in the private prefix
# PREFIX, made on first use. Headless: the null graphics driver needs no X server; should the
# X11 driver be chosen, unmanaged windows keep hidden ones from waiting for a window manager.
# mono and gecko are never installed, and a program that crashes ends with its backtrace on
# standard error instead of waiting in the crash dialog.
set -euo pipefail
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
      wineboot -i >/dev/null 2>&1
      wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
      wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
      wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
      wineserver -w
      touch "$prefix/.nubivane-prefix-1"
    fi
  ) 9>"$prefix.lock"
fi
exec wine "$@"
