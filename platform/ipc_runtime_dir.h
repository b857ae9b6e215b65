#pragma once

#include <cstdint>
#include <string>

// Where the link's cross-process objects live: window endpoints and the atom table. The
// environment variable NUBIVANE_IPC_DIR overrides the per-user default, so that tests and
// separate runs stay apart.
std::string IpcRuntimeDir();
// The same folder, created (mode 0700) when missing: for the calls that make objects.
std::string EnsureIpcRuntimeDir();

// Stable across processes and runs (FNV-1a, 32 bits).
std::uint32_t StableHash(const std::string& text);
