#pragma once

#include <cstdint>
#include <mutex>

// Client side of the interface module's IPC link: one link for the process, a shared area into
// which reads and writes are queued, and one exchange (process) that hands the whole queue to
// the module and copies the answers out. Every call but FSUIPC_Close returns true only with
// result 0 and stores the result code in its last argument.

enum FSUIPCResult : std::uint32_t {
  kFsuipcOk = 0,
  kFsuipcAlreadyOpen = 1,
  kFsuipcNoWindow = 2,
  kFsuipcRegisterMessage = 3,
  kFsuipcAtom = 4,
  kFsuipcMapping = 5,
  kFsuipcView = 6,
  kFsuipcVersion = 7,
  kFsuipcWrongSim = 8,
  kFsuipcNotOpen = 9,
  kFsuipcNothingQueued = 10,
  kFsuipcTimedOut = 11,
  kFsuipcSendFailed = 12,
  kFsuipcBadReply = 13,
  kFsuipcVersionFallback = 14,
  kFsuipcNoRoom = 15,
};
constexpr std::uint32_t kFsuipcResultCount = 16;

// Wire constants of the shared area.
constexpr std::uint32_t kFsuipcAreaBytes = 32768;
constexpr std::uint32_t kFsuipcQueueLimitBytes = 0x7F00;  // requests end here at the latest
constexpr std::uint16_t FSUIPC_Lib_Version = 2002;

// Read by the last open (0x3304 and 0x3308); after a successful open FSUIPC_FS_Version holds only
// the simulator number. Kept after close. Guarded by FSUIPC_Lock().
extern std::uint32_t FSUIPC_Version;
extern std::uint32_t FSUIPC_FS_Version;
// Opens that reached the naming of the area; part of each area's name.
extern std::uint32_t FSUIPC_OpenCount;

bool FSUIPC_Open(std::uint32_t simRequired, std::uint32_t* result);
void FSUIPC_Close();
// The destination receives the data only when a later FSUIPC_Process succeeds.
bool FSUIPC_Read(std::uint32_t offset, std::uint32_t size, void* destination, std::uint32_t* result);
// The source is copied at once.
bool FSUIPC_Write(std::uint32_t offset, std::uint32_t size, const void* source, std::uint32_t* result);
bool FSUIPC_Process(std::uint32_t* result);

// The writer thread and the GUI thread share the link: hold this from the first queue call of a
// sequence to the end of its process so no other thread's requests come in between. Every
// FSUIPC_ call takes it as well, so it is recursive.
std::recursive_mutex& FSUIPC_Lock();
