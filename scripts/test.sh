#!/usr/bin/env bash
# Installs what is missing, builds the Debug configuration with the address and undefined-behaviour
# sanitizers and runs every test, then runs the suites with threads again under the thread
# sanitizer (build/Tsan). `test.sh windows` builds for Windows (build/windows/) and runs the test
# programs under wine.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)

if [[ ${1:-} == windows ]]; then
  # The decode tool's output is compared with the Linux build's: the Debug one of a run before,
  # else a Release one built for it.
  linux_tool=$top/build/Debug/tools/nubivane-decode
  if [[ ! -x $linux_tool ]]; then
    bash "$top/scripts/setup.sh"
    cmake -S "$top" -B "$top/build/Release" -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$top/build/Release" -j"$(nproc)" --target nubivane-decode >/dev/null
    linux_tool=$top/build/Release/tools/nubivane-decode
  fi
  # Further arguments are the build's settings (-DNUB_WINE_WINDOW_TESTS=OFF: without the window
  # suites, which run under wine's X11 driver on X servers of their own).
  bash "$top/scripts/build.sh" windows -DNUB_LINUX_DECODE_TOOL="$linux_tool" "${@:2}"
  prefix=$top/build/windows/wineprefix
  # Every wine process of the run has ended once its server has (the window tests end their own).
  trap 'WINEPREFIX="$prefix" wineserver -w' EXIT
  # The prefix is made once before the tests, so that its making (minutes on a busy machine) is
  # not counted against the first test's time-out.
  bash "$top/scripts/wine-run.sh" "$prefix"
  bash "$top/scripts/wine-run.sh" --x11 "$prefix-x11"
  cd "$top/build/windows"
  # Under load wine now and then stalls a test program, once even after its test had passed (seen
  # in two of seven full runs here, never in the same program run alone): a test that runs out of
  # time runs once more, and one that runs out twice fails.
  ctest --output-on-failure -j"$(nproc)" --timeout 300 --repeat after-timeout:2
  exit 0
fi

bash "$top/scripts/setup.sh"
bash "$top/scripts/build.sh" Debug -DNUB_SANITIZE=ON

export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# Every test that opens windows starts an X server of its own (tests/gui_common/own_display.sh).
(cd "$top/build/Debug" && ctest --output-on-failure -j"$(nproc)" --timeout 300)

bash "$top/scripts/build.sh" Tsan
# The GUI stack is not instrumented: tests/tsan.supp names its libraries, and only those.
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$top/tests/tsan.supp"
# Without address-space randomisation where we may turn it off: the thread sanitizer of this
# compiler cannot map its shadow memory on kernels that randomise more address bits.
fixed_layout=()
setarch "$(uname -m)" -R true 2>/dev/null && fixed_layout=(setarch "$(uname -m)" -R)
cd "$top/build/Tsan"
"${fixed_layout[@]}" ctest -L threads --output-on-failure -j"$(nproc)" --timeout 300
