#pragma once

#include <cstdint>
#include <string>

#include "platform/ipc_runtime_dir.h"

// The runtime directory's folder of the atom table.
inline constexpr char kAtomFolderName[] = "atoms";

// Opens the folder name (relative to the folder at, or AT_FDCWD) when it can be trusted with the
// stand-ins' files: a real folder, not a link, owned by this user and writable by nobody else.
// create: a missing one is made (mode 0700). -1 otherwise, with *problem naming shown and the
// reason; a missing folder without create gives -1 and no problem.
int OpenTrustedDir(int at, const std::string& name, const std::string& shown, bool create,
                   std::string* problem);

// The runtime directory, made when missing, for the calls that make objects; false when it is
// refused or cannot be made (*problem says why).
bool EnsureIpcRuntimeDir(std::string* problem = nullptr);

// True when the runtime directory exists and can be trusted: the other side is looked for only there.
bool IpcRuntimeDirTrusted();

// Stable across processes and runs (FNV-1a, 32 bits).
std::uint32_t StableHash(const std::string& text);

// Socket path of a window class's endpoint in the current runtime directory.
std::string WindowEndpointPath(const std::string& className);
