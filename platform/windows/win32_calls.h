#pragma once

#include <cstddef>
#include <cstdint>

// The Windows calls behind platform/win_ipc.h, in one file that includes <windows.h>: our
// functions carry the platform's names, so the two sets of declarations cannot meet in one file.

namespace win32 {

std::uintptr_t FindTopLevelWindow(const char* className);
std::uint32_t RegisterMessage(const char* name);
std::uint16_t AddGlobalAtom(const char* name);
std::uint16_t DeleteGlobalAtom(std::uint16_t atom);
std::uint32_t GlobalAtomName(std::uint16_t atom, char* buffer, int bufferSize);
void* CreateMapping(void* file, std::uint32_t protect, std::uint32_t sizeHigh, std::uint32_t sizeLow,
                    const char* name);
void* OpenMapping(std::uint32_t access, bool inherit, const char* name);
void* MapView(void* mapping, std::uint32_t access, std::uint32_t offsetHigh, std::uint32_t offsetLow,
              std::size_t bytes);
bool UnmapView(const void* view);
bool CloseObject(void* handle);
// 0 on failure; a time-out leaves the last error ERROR_TIMEOUT.
std::uintptr_t SendWithTimeout(std::uintptr_t window, std::uint32_t message, std::uintptr_t wparam,
                               std::intptr_t lparam, std::uint32_t flags, std::uint32_t timeoutMs,
                               std::uintptr_t* result);
std::uint32_t ProcessId();
std::uint32_t LastError();
void SetError(std::uint32_t error);
void SleepMs(std::uint32_t ms);

constexpr std::uint32_t kErrorTimeout = 1460;

}  // namespace win32
