#pragma once

#include <cstddef>
#include <cstdint>

// The types and constants of the few Windows user and kernel calls the simulator link makes
// (platform/win_ipc.h). They are ours, only as wide as the link needs, and the numbers are the
// platform's own, so one spelling serves the real calls and the stand-ins.

using WinDword = std::uint32_t;
using WinUint = std::uint32_t;
using WinAtom = std::uint16_t;
using WinWindow = std::uintptr_t;  // 0: no window
using WinHandle = void*;           // nullptr: no object
using WinWparam = std::uintptr_t;
using WinLparam = std::intptr_t;
using WinDwordPtr = std::uintptr_t;

inline WinHandle const kWinInvalidHandle = reinterpret_cast<WinHandle>(~std::uintptr_t{0});

constexpr WinDword kWinPageReadWrite = 0x04;
constexpr WinDword kWinFileMapWrite = 0x0002;
constexpr WinUint kWinSmtoBlock = 0x0001;

constexpr WinDword kWinErrorFileNotFound = 2;
constexpr WinDword kWinErrorAccessDenied = 5;
constexpr WinDword kWinErrorNotEnoughMemory = 8;
constexpr WinDword kWinErrorInvalidParameter = 87;
constexpr WinDword kWinErrorAlreadyExists = 183;
constexpr WinDword kWinErrorOperationAborted = 995;  // the link cancel was raised (link_cancel.h)
constexpr WinDword kWinErrorInvalidWindowHandle = 1400;
