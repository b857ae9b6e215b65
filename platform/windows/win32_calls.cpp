#include "platform/windows/win32_calls.h"

#include <windows.h>

namespace win32 {

std::uintptr_t FindTopLevelWindow(const char* className) {
  return reinterpret_cast<std::uintptr_t>(::FindWindowExA(nullptr, nullptr, className, nullptr));
}

std::uint32_t RegisterMessage(const char* name) { return ::RegisterWindowMessageA(name); }

std::uint16_t AddGlobalAtom(const char* name) { return ::GlobalAddAtomA(name); }

std::uint16_t DeleteGlobalAtom(std::uint16_t atom) { return ::GlobalDeleteAtom(atom); }

std::uint32_t GlobalAtomName(std::uint16_t atom, char* buffer, int bufferSize) {
  return ::GlobalGetAtomNameA(atom, buffer, bufferSize);
}

void* CreateMapping(void* file, std::uint32_t protect, std::uint32_t sizeHigh, std::uint32_t sizeLow,
                    const char* name) {
  return ::CreateFileMappingA(file, nullptr, protect, sizeHigh, sizeLow, name);
}

void* OpenMapping(std::uint32_t access, bool inherit, const char* name) {
  return ::OpenFileMappingA(access, inherit ? TRUE : FALSE, name);
}

void* MapView(void* mapping, std::uint32_t access, std::uint32_t offsetHigh, std::uint32_t offsetLow,
              std::size_t bytes) {
  return ::MapViewOfFile(mapping, access, offsetHigh, offsetLow, bytes);
}

bool UnmapView(const void* view) { return ::UnmapViewOfFile(view) != FALSE; }

bool CloseObject(void* handle) { return ::CloseHandle(handle) != FALSE; }

std::uintptr_t SendWithTimeout(std::uintptr_t window, std::uint32_t message, std::uintptr_t wparam,
                               std::intptr_t lparam, std::uint32_t flags, std::uint32_t timeoutMs,
                               std::uintptr_t* result) {
  DWORD_PTR reply = 0;
  const LRESULT sent = ::SendMessageTimeoutA(reinterpret_cast<HWND>(window), message, wparam, lparam, flags,
                                             timeoutMs, &reply);
  if (sent != 0 && result != nullptr) *result = reply;
  return static_cast<std::uintptr_t>(sent);
}

std::uint32_t ProcessId() { return ::GetCurrentProcessId(); }

std::uint32_t LastError() { return ::GetLastError(); }

void SetError(std::uint32_t error) { ::SetLastError(error); }

void SleepMs(std::uint32_t ms) { ::Sleep(ms); }

}  // namespace win32
