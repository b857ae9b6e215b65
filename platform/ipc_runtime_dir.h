#pragma once

#include <string>

// Where the link's cross-process objects live, as a text for messages. With the stand-ins it is
// a folder: NUBIVANE_IPC_DIR, or the per-user default, so that tests and separate runs stay apart.
// On Windows the objects belong to the session's desktop, whose name it gives.
std::string IpcRuntimeDir();

// Why the link refuses the folder (a link, another user's, writable by other users), as a text
// for messages; empty when it is used, or does not exist yet. Always empty on Windows.
std::string IpcRuntimeDirProblem();
