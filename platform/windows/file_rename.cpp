#include "platform/file_rename.h"

#include <windows.h>

namespace platform {

// The C runtime's rename refuses a target that exists.
bool RenameReplacing(const wxString& from, const wxString& to) {
  return ::MoveFileExW(from.wc_str(), to.wc_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) !=
         FALSE;
}

// Links are rare on Windows and need rights to make: the path is taken as it is.
wxString LinkTarget(const wxString& path) { return path; }

}  // namespace platform
