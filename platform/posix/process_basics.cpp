// Last error, sleep and process id: the small kernel calls of the link.

#include <unistd.h>

#include <chrono>
#include <thread>

#include "platform/link_cancel.h"
#include "platform/test_knobs.h"
#include "platform/win_ipc.h"

namespace {
thread_local WinDword tLastError = 0;
}

WinDword GetLastError() { return tLastError; }

void SetLastError(WinDword error) { tLastError = error; }

void Sleep(WinDword ms) {
  if (const LinkCancel* cancel = BoundLinkCancel()) {
    cancel->Pause(ScaledMicros(ms));
    return;
  }
  std::this_thread::sleep_for(std::chrono::microseconds(ScaledMicros(ms)));
}

WinDword GetCurrentProcessId() { return static_cast<WinDword>(::getpid()); }
