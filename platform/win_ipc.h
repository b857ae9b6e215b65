#pragma once

#include "platform/win_types.h"

// The few Windows user and kernel calls the simulator link makes. The names are the platform's
// own so the link reads as it would on Windows; the types are ours (platform/win_types.h). The
// Windows build makes the real calls, elsewhere they are our stand-ins. Across processes: a
// window of a class is a top-level window (with the stand-ins an endpoint another process
// registered, see window_endpoint.h), a global atom and a named mapping can be looked up by the
// other side, and registered message ids are the same everywhere. Both builds apply the test
// knobs of test_knobs.h.

// Windows: top-level window by class name (parent and child-after 0, any title).
WinWindow FindWindowExA(WinWindow parent, WinWindow childAfter, const char* className,
                        const char* windowName);
// Same id for the same name in every process; 0 on failure.
WinUint RegisterWindowMessageA(const char* name);

// Global atoms, visible to every process of the session (the stand-ins: of the runtime
// directory); 0 on failure.
WinAtom GlobalAddAtomA(const char* name);
// 0 on success, the atom itself on failure.
WinAtom GlobalDeleteAtom(WinAtom atom);
// Length copied (without the terminator), 0 when the atom is unknown.
WinUint GlobalGetAtomNameA(WinAtom atom, char* buffer, int bufferSize);

// Named, paging-file backed mapping (file must be kWinInvalidHandle). A name that exists gives
// the existing object and last error 183; closing that handle leaves the object to its owner.
WinHandle CreateFileMappingA(WinHandle file, void* security, WinDword protect, WinDword sizeHigh,
                             WinDword sizeLow, const char* name);
WinHandle OpenFileMappingA(WinDword access, bool inherit, const char* name);
// bytes 0 maps the whole object.
void* MapViewOfFile(WinHandle mapping, WinDword access, WinDword offsetHigh, WinDword offsetLow,
                    std::size_t bytes);
bool UnmapViewOfFile(const void* view);
bool CloseHandle(WinHandle handle);

// Blocks until the window's owner replies or the time-out passes. Returns non-zero with the reply
// in *result; 0 on failure: last error 0 after a time-out (Windows' own time-out error included),
// kWinErrorOperationAborted when the calling thread's link cancel was raised, another non-zero
// error when the window has gone.
WinDwordPtr SendMessageTimeoutA(WinWindow window, WinUint message, WinWparam wparam, WinLparam lparam,
                                WinUint flags, WinUint timeoutMs, WinDwordPtr* result);

WinDword GetCurrentProcessId();
// Per thread; Sleep leaves it alone.
WinDword GetLastError();
void SetLastError(WinDword error);
// Ends early when the calling thread's link cancel is raised.
void Sleep(WinDword ms);
