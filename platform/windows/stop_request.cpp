#include "platform/stop_request.h"

#include <windows.h>

#include <cstdio>

namespace platform {
namespace {

// Another process asks through an event named after the process id.
void StopEventName(std::uint32_t processId, char (&name)[64]) {
  std::snprintf(name, sizeof name, "Local\\nubivane-stop-%lu", static_cast<unsigned long>(processId));
}

HANDLE StopEvent() {
  static const HANDLE event = [] {
    char name[64];
    StopEventName(::GetCurrentProcessId(), name);
    return ::CreateEventA(nullptr, TRUE, FALSE, name);
  }();
  return event;
}

BOOL WINAPI OnConsoleControl(DWORD /*kind*/) {
  ::SetEvent(StopEvent());
  return TRUE;  // every kind ends in the clean stop
}

}  // namespace

void CatchStopRequests() {
  StopEvent();
  ::SetConsoleCtrlHandler(&OnConsoleControl, TRUE);
}

bool WaitForStopRequest(long seconds) {
  const DWORD limit = seconds >= 0 ? static_cast<DWORD>(seconds) * 1000 : INFINITE;
  return ::WaitForSingleObject(StopEvent(), limit) == WAIT_OBJECT_0;
}

bool RequestStop(std::uint32_t processId) {
  char name[64];
  StopEventName(processId, name);
  HANDLE event = ::OpenEventA(EVENT_MODIFY_STATE, FALSE, name);
  if (event == nullptr) return false;
  const bool set = ::SetEvent(event) != FALSE;
  ::CloseHandle(event);
  return set;
}

}  // namespace platform
