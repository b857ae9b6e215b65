// The link's Windows calls, made for real. The test knobs apply as they do to the stand-ins: a
// scripted failure of the calls that cannot fail on their own, and the time scale on every
// Sleep and send time-out. So does the calling thread's link cancel: it ends a Sleep and a
// blocking send at once.

#include "platform/win_ipc.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/link_cancel.h"
#include "platform/test_knobs.h"
#include "platform/windows/win32_calls.h"

namespace {

// How often a send that a cancel may cut looks at the cancel.
constexpr auto kCancelSlice = std::chrono::milliseconds(10);

// Milliseconds after scaling; a scaled pause is never shorter than one tick of the clock.
WinDword ScaledMs(WinDword ms) {
  if (ms == 0) return 0;
  const std::int64_t scaled = (ScaledMicros(ms) + 999) / 1000;
  return scaled < 1 ? 1 : static_cast<WinDword>(scaled);
}

// One send, made by a thread of its own so that the caller can give it up: the system's send
// cannot be interrupted. A send given up finishes on its own within its time-out; its outcome is
// dropped.
struct DetachedSend {
  std::mutex lock;
  std::condition_variable finished;
  bool done = false;
  std::uintptr_t sent = 0;
  std::uintptr_t reply = 0;
  std::uint32_t error = 0;
};

WinDwordPtr SendCancellable(const LinkCancel& cancel, WinWindow window, WinUint message, WinWparam wparam,
                            WinLparam lparam, WinUint flags, WinUint timeoutMs, WinDwordPtr* result) {
  auto send = std::make_shared<DetachedSend>();
  std::thread([=] {
    std::uintptr_t reply = 0;
    const std::uintptr_t sent =
        win32::SendWithTimeout(window, message, wparam, lparam, flags, timeoutMs, &reply);
    const std::uint32_t error = win32::LastError();
    std::lock_guard<std::mutex> guard(send->lock);
    send->sent = sent;
    send->reply = reply;
    send->error = error;
    send->done = true;
    send->finished.notify_all();
  }).detach();
  std::unique_lock<std::mutex> guard(send->lock);
  while (!send->finished.wait_for(guard, kCancelSlice, [&] { return send->done; })) {
    if (cancel.Raised()) {
      win32::SetError(kWinErrorOperationAborted);
      return 0;
    }
  }
  if (send->sent != 0 && result != nullptr) *result = send->reply;
  win32::SetError(send->error);
  return send->sent;
}

}  // namespace

WinWindow FindWindowExA(WinWindow parent, WinWindow childAfter, const char* className,
                        const char* /*windowName*/) {
  if (parent != 0 || childAfter != 0 || className == nullptr) return 0;
  return win32::FindTopLevelWindow(className);
}

WinUint RegisterWindowMessageA(const char* name) {
  if (PlatformFaultActive(PlatformFault::kRegisterMessage)) {
    SetLastError(kWinErrorInvalidParameter);
    return 0;
  }
  return win32::RegisterMessage(name);
}

WinAtom GlobalAddAtomA(const char* name) {
  if (PlatformFaultActive(PlatformFault::kAddAtom)) {
    SetLastError(kWinErrorNotEnoughMemory);
    return 0;
  }
  return win32::AddGlobalAtom(name);
}

WinAtom GlobalDeleteAtom(WinAtom atom) { return win32::DeleteGlobalAtom(atom); }

WinUint GlobalGetAtomNameA(WinAtom atom, char* buffer, int bufferSize) {
  return win32::GlobalAtomName(atom, buffer, bufferSize);
}

WinHandle CreateFileMappingA(WinHandle file, void* /*security*/, WinDword protect, WinDword sizeHigh,
                             WinDword sizeLow, const char* name) {
  return win32::CreateMapping(file, protect, sizeHigh, sizeLow, name);
}

WinHandle OpenFileMappingA(WinDword access, bool inherit, const char* name) {
  return win32::OpenMapping(access, inherit, name);
}

void* MapViewOfFile(WinHandle mapping, WinDword access, WinDword offsetHigh, WinDword offsetLow,
                    std::size_t bytes) {
  if (PlatformFaultActive(PlatformFault::kMapView)) {
    SetLastError(kWinErrorNotEnoughMemory);
    return nullptr;
  }
  return win32::MapView(mapping, access, offsetHigh, offsetLow, bytes);
}

bool UnmapViewOfFile(const void* view) { return win32::UnmapView(view); }

bool CloseHandle(WinHandle handle) { return win32::CloseObject(handle); }

// A time-out leaves ERROR_TIMEOUT as the last error; the link tells a time-out from a failed
// send by a last error of 0, as the platform reported it in its first versions.
WinDwordPtr SendMessageTimeoutA(WinWindow window, WinUint message, WinWparam wparam, WinLparam lparam,
                                WinUint flags, WinUint timeoutMs, WinDwordPtr* result) {
  const LinkCancel* cancel = BoundLinkCancel();
  if (cancel != nullptr && cancel->Raised()) {
    SetLastError(kWinErrorOperationAborted);
    return 0;
  }
  const WinDwordPtr sent =
      cancel != nullptr
          ? SendCancellable(*cancel, window, message, wparam, lparam, flags, ScaledMs(timeoutMs), result)
          : win32::SendWithTimeout(window, message, wparam, lparam, flags, ScaledMs(timeoutMs), result);
  if (sent == 0 && win32::LastError() == win32::kErrorTimeout) SetLastError(0);
  return sent;
}

WinDword GetCurrentProcessId() { return win32::ProcessId(); }

WinDword GetLastError() { return win32::LastError(); }

void SetLastError(WinDword error) { win32::SetError(error); }

// The link reads the last error of a failed send after its retry pauses.
void Sleep(WinDword ms) {
  const WinDword lastError = win32::LastError();
  if (const LinkCancel* cancel = BoundLinkCancel()) {
    cancel->Pause(ScaledMicros(ms));
  } else {
    win32::SleepMs(ScaledMs(ms));
  }
  win32::SetError(lastError);
}
