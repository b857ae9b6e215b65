#pragma once

#include <cstdint>
#include <string>

#include "platform/ipc_runtime_dir.h"

// The runtime directory of the stand-ins (window endpoints, the atom table), created (mode 0700)
// when missing: for the calls that make objects.
std::string EnsureIpcRuntimeDir();

// Stable across processes and runs (FNV-1a, 32 bits).
std::uint32_t StableHash(const std::string& text);

// Socket path of a window class's endpoint in the current runtime directory.
std::string WindowEndpointPath(const std::string& className);
