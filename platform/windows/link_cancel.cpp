#include "platform/link_cancel.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <thread>

namespace {

// Without an event a wait looks at the flag this often.
constexpr std::int64_t kFallbackSliceMicros = 10000;

using Clock = std::chrono::steady_clock;

HANDLE EventOf(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

}  // namespace

LinkCancel::LinkCancel() {
  if (HANDLE event = ::CreateEventA(nullptr, TRUE, FALSE, nullptr))
    wake_[0] = reinterpret_cast<std::intptr_t>(event);
}

LinkCancel::~LinkCancel() {
  if (wake_[0] != -1) ::CloseHandle(EventOf(wake_[0]));
}

// The event stays signalled for every later wait.
void LinkCancel::Raise() {
  if (raised_.exchange(true, std::memory_order_acq_rel)) return;
  if (wake_[0] != -1) ::SetEvent(EventOf(wake_[0]));
}

bool LinkCancel::Pause(std::int64_t micros) const {
  const auto deadline = Clock::now() + std::chrono::microseconds(std::max<std::int64_t>(micros, 0));
  for (;;) {
    if (Raised()) return false;
    const auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - Clock::now()).count();
    if (left <= 0) return true;
    if (wake_[0] == -1) {
      std::this_thread::sleep_for(std::chrono::microseconds(std::min(left, kFallbackSliceMicros)));
      continue;
    }
    ::WaitForSingleObject(EventOf(wake_[0]), static_cast<DWORD>((left + 999) / 1000));
  }
}
