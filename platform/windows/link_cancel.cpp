#include "platform/link_cancel.h"

#include <windows.h>

namespace {

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

// Rounded up: a wait of 0 ms would turn the pause into a spin.
void LinkCancel::WaitForWake(std::intptr_t wake, std::int64_t micros) {
  ::WaitForSingleObject(EventOf(wake), static_cast<DWORD>((micros + 999) / 1000));
}
