#include "simlink/ipc_client.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>

#include "platform/link_cancel.h"
#include "platform/win_ipc.h"
#include "simlink/ipc_area.h"

std::uint32_t FSUIPC_Version = 0;
std::uint32_t FSUIPC_FS_Version = 0;
std::uint32_t FSUIPC_OpenCount = 0;

namespace {

constexpr char kMainWindowClass[] = "UIPCMAIN";
constexpr char kFallbackWindowClass[] = "FS98MAIN";
constexpr char kMessageName[] = "FsasmLib:IPC";

constexpr std::uint32_t kRoomHeaderBytes = 16;  // the room test uses 16 for writes too

constexpr std::uint32_t kOffsetModuleVersion = 0x3304;
constexpr std::uint32_t kOffsetSimVersion = 0x3308;
constexpr std::uint32_t kOffsetLibVersion = 0x330A;
constexpr std::uint32_t kOldestModuleVersion = 0x19980005;
constexpr std::uint32_t kSimVersionMark = 0xFADE;
constexpr int kVersionPasses = 5;
constexpr WinDword kVersionPauseMs = 100;

constexpr int kSendTries = 9;
constexpr WinUint kSendTimeoutMs = 2000;
constexpr WinDword kRetryPauseMs = 100;

// At most one read per 16 bytes of queue.
constexpr std::size_t kMaxPendingReads = kFsuipcQueueLimitBytes / kAreaReadHeaderBytes;

struct LinkState {
  WinWindow FSUIPC_Window = 0;
  WinUint FSUIPC_Message = 0;
  WinAtom FSUIPC_Atom = 0;
  WinHandle FSUIPC_Mapping = nullptr;
  std::uint8_t* FSUIPC_View = nullptr;
  std::uint32_t FSUIPC_Next = 0;  // offset into the area
  std::array<PendingRead, kMaxPendingReads> reads{};
  std::size_t readCount = 0;
};

LinkState gLink;

bool Fail(std::uint32_t code, std::uint32_t* result) {
  *result = code;
  return false;
}

bool Succeed(std::uint32_t* result) {
  *result = kFsuipcOk;
  return true;
}

// Done in 64 bits: a size near 2^32 must not wrap into a small one.
bool HasRoom(std::uint32_t size) {
  return std::uint64_t{gLink.FSUIPC_Next} + size + kRoomHeaderBytes <= kFsuipcQueueLimitBytes;
}

void ResetQueue() {
  gLink.FSUIPC_Next = 0;
  gLink.readCount = 0;
}

WinWindow FindModuleWindow(bool* fallback) {
  *fallback = false;
  WinWindow window = FindWindowExA(0, 0, kMainWindowClass, nullptr);
  if (window == 0) {
    window = FindWindowExA(0, 0, kFallbackWindowClass, nullptr);
    *fallback = window != 0;
  }
  return window;
}

bool CreateArea(std::uint32_t* result) {
  ++FSUIPC_OpenCount;
  char name[64];
  std::snprintf(name, sizeof name, "FsasmLib:IPC:%X:%X", static_cast<unsigned>(GetCurrentProcessId()),
                static_cast<unsigned>(FSUIPC_OpenCount));
  gLink.FSUIPC_Atom = GlobalAddAtomA(name);
  if (gLink.FSUIPC_Atom == 0) return Fail(kFsuipcAtom, result);
  gLink.FSUIPC_Mapping =
      CreateFileMappingA(kWinInvalidHandle, nullptr, kWinPageReadWrite, 0, kFsuipcAreaBytes, name);
  // Someone else's area of that name would be read and written by both: refuse it.
  if (gLink.FSUIPC_Mapping == nullptr || GetLastError() == kWinErrorAlreadyExists)
    return Fail(kFsuipcMapping, result);
  gLink.FSUIPC_View =
      static_cast<std::uint8_t*>(MapViewOfFile(gLink.FSUIPC_Mapping, kWinFileMapWrite, 0, 0, 0));
  if (gLink.FSUIPC_View == nullptr) return Fail(kFsuipcView, result);
  ResetQueue();
  return Succeed(result);
}

bool ExchangeVersions(std::uint32_t* result) {
  for (int pass = 0; pass < kVersionPasses; ++pass) {
    if (pass > 0 && FSUIPC_Version != 0 && FSUIPC_FS_Version != 0) break;
    FSUIPC_Read(kOffsetModuleVersion, 4, &FSUIPC_Version, result);
    FSUIPC_Read(kOffsetSimVersion, 4, &FSUIPC_FS_Version, result);
    if (pass == 0) FSUIPC_Write(kOffsetLibVersion, 2, &FSUIPC_Lib_Version, result);
    if (!FSUIPC_Process(result)) return false;
    Sleep(kVersionPauseMs);
  }
  return Succeed(result);
}

bool SendQueue(WinDwordPtr* reply) {
  for (int attempt = 0; attempt < kSendTries; ++attempt) {
    if (SendMessageTimeoutA(gLink.FSUIPC_Window, gLink.FSUIPC_Message, gLink.FSUIPC_Atom, 0, kWinSmtoBlock,
                            kSendTimeoutMs, reply) != 0) {
      return true;
    }
    // A thread being stopped does not try again: its cut send already says why it failed.
    if (LinkCancelRaised()) return false;
    Sleep(kRetryPauseMs);
  }
  return false;
}

}  // namespace

std::recursive_mutex& FSUIPC_Lock() {
  static std::recursive_mutex lock;
  return lock;
}

bool FSUIPC_Open(std::uint32_t simRequired, std::uint32_t* result) {
  std::lock_guard<std::recursive_mutex> guard(FSUIPC_Lock());
  if (gLink.FSUIPC_View != nullptr) return Fail(kFsuipcAlreadyOpen, result);
  FSUIPC_Version = 0;
  FSUIPC_FS_Version = 0;
  bool fallback = false;
  gLink.FSUIPC_Window = FindModuleWindow(&fallback);
  if (gLink.FSUIPC_Window == 0) return Fail(kFsuipcNoWindow, result);
  gLink.FSUIPC_Message = RegisterWindowMessageA(kMessageName);
  if (gLink.FSUIPC_Message == 0) {
    gLink.FSUIPC_Window = 0;
    return Fail(kFsuipcRegisterMessage, result);
  }
  if (!CreateArea(result) || !ExchangeVersions(result)) {
    FSUIPC_Close();
    return false;
  }
  if (FSUIPC_Version < kOldestModuleVersion || (FSUIPC_FS_Version >> 16) != kSimVersionMark) {
    FSUIPC_Close();
    return Fail(fallback ? kFsuipcVersionFallback : kFsuipcVersion, result);
  }
  FSUIPC_FS_Version &= 0xFFFFu;
  if (simRequired != 0 && simRequired != FSUIPC_FS_Version) {
    FSUIPC_Close();
    return Fail(kFsuipcWrongSim, result);
  }
  return Succeed(result);
}

void FSUIPC_Close() {
  std::lock_guard<std::recursive_mutex> guard(FSUIPC_Lock());
  gLink.FSUIPC_Window = 0;
  gLink.FSUIPC_Message = 0;
  if (gLink.FSUIPC_Atom != 0) {
    GlobalDeleteAtom(gLink.FSUIPC_Atom);
    gLink.FSUIPC_Atom = 0;
  }
  if (gLink.FSUIPC_View != nullptr) {
    UnmapViewOfFile(gLink.FSUIPC_View);
    gLink.FSUIPC_View = nullptr;
  }
  if (gLink.FSUIPC_Mapping != nullptr) {
    CloseHandle(gLink.FSUIPC_Mapping);
    gLink.FSUIPC_Mapping = nullptr;
  }
  ResetQueue();
}

bool FSUIPC_Read(std::uint32_t offset, std::uint32_t size, void* destination, std::uint32_t* result) {
  std::lock_guard<std::recursive_mutex> guard(FSUIPC_Lock());
  if (gLink.FSUIPC_View == nullptr) return Fail(kFsuipcNotOpen, result);
  if (!HasRoom(size)) return Fail(kFsuipcNoRoom, result);
  const std::uint32_t at = gLink.FSUIPC_Next;
  gLink.reads[gLink.readCount++] = PendingRead{destination, size, at};
  gLink.FSUIPC_Next =
      QueueRead(gLink.FSUIPC_View, at, offset, size, static_cast<std::uint32_t>(gLink.readCount));
  return Succeed(result);
}

bool FSUIPC_Write(std::uint32_t offset, std::uint32_t size, const void* source, std::uint32_t* result) {
  std::lock_guard<std::recursive_mutex> guard(FSUIPC_Lock());
  if (gLink.FSUIPC_View == nullptr) return Fail(kFsuipcNotOpen, result);
  if (!HasRoom(size)) return Fail(kFsuipcNoRoom, result);
  gLink.FSUIPC_Next = QueueWrite(gLink.FSUIPC_View, gLink.FSUIPC_Next, offset, size, source);
  return Succeed(result);
}

bool FSUIPC_Process(std::uint32_t* result) {
  std::lock_guard<std::recursive_mutex> guard(FSUIPC_Lock());
  if (gLink.FSUIPC_View == nullptr) return Fail(kFsuipcNotOpen, result);
  if (gLink.FSUIPC_Next == 0) return Fail(kFsuipcNothingQueued, result);
  QueueEnd(gLink.FSUIPC_View, gLink.FSUIPC_Next);
  const std::size_t readCount = gLink.readCount;
  ResetQueue();
  WinDwordPtr reply = 0;
  if (!SendQueue(&reply)) return Fail(GetLastError() != 0 ? kFsuipcSendFailed : kFsuipcTimedOut, result);
  if (reply != 1) return Fail(kFsuipcBadReply, result);
  DeliverAnswers(gLink.FSUIPC_View, gLink.reads.data(), readCount);
  return Succeed(result);
}
