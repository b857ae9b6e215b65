#include "platform/ipc_runtime_dir.h"

#include <windows.h>

// Windows, atoms and mappings meet the other side in the session's desktop.
std::string IpcRuntimeDir() {
  char name[256] = {};
  DWORD needed = 0;
  HDESK desktop = ::GetThreadDesktop(::GetCurrentThreadId());
  if (desktop == nullptr || !::GetUserObjectInformationA(desktop, UOI_NAME, name, sizeof name - 1, &needed)) {
    return "desktop";
  }
  return std::string("desktop ") + name;
}

// The session's objects are the session's own.
std::string IpcRuntimeDirProblem() { return {}; }
