#pragma once

#include <string>

// Where the link's cross-process objects live, as a text for messages. With the stand-ins it is
// a folder: NUBIVANE_IPC_DIR, or the per-user default, so that tests and separate runs stay apart.
// On Windows the objects belong to the session's desktop, whose name it gives.
std::string IpcRuntimeDir();
